# Installs the build into a fresh prefix, builds a consumer and the example program with
# find_package(Quendel), runs them, and checks that libquendel.so exports nothing but its API.
# With PYTHON and PYTHON_DIR, checks that the Python module imports from the prefix.
# Arguments: BUILD_DIR, SOURCE_DIR, WORK_DIR[, PYTHON, PYTHON_DIR].
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
function(run)
    execute_process(COMMAND ${ARGV} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "failed (${rc}): ${ARGV}\n${out}\n${err}")
    endif()
    set(last_output "${out}" PARENT_SCOPE)
endfunction()

run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
foreach(f include/quendel/Quendel.h include/quendel/QuendelResReference.h
          include/quendel/quendel_c.h lib/libquendel.so lib/libcorvel.so lib/libfendrel.so
          lib/cmake/Quendel/QuendelConfig.cmake lib/cmake/Quendel/QuendelConfigVersion.cmake
          lib/pkgconfig/quendel.pc bin/quendel share/bash-completion/completions/quendel)
    if(NOT EXISTS ${prefix}/${f})
        message(FATAL_ERROR "not installed: ${f}")
    endif()
endforeach()

run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/consumer -B ${WORK_DIR}/consumer
    -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_BUILD_TYPE=Release)
run(${CMAKE_COMMAND} --build ${WORK_DIR}/consumer)
run(${WORK_DIR}/consumer/consumer)
if(NOT last_output MATCHES "consumer: ok")
    message(FATAL_ERROR "consumer said: ${last_output}")
endif()

# The example program builds against the prefix as a host project would, and reads the example
# tree through the settings file the stand-in host services take from the environment; they
# take its paths as they stand, so it runs where they lead.
run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/examples -B ${WORK_DIR}/examples
    -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_BUILD_TYPE=Release)
run(${CMAKE_COMMAND} --build ${WORK_DIR}/examples)
execute_process(COMMAND ${CMAKE_COMMAND} -E env CORVEL_SETTINGS=host.ini
                        CORVEL_LOG=/dev/null ${WORK_DIR}/examples/quendel_demo
                WORKING_DIRECTORY ${SOURCE_DIR}/examples RESULT_VARIABLE rc OUTPUT_VARIABLE out
                ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT out MATCHES "Parameter tree version 3\\.2\\.0" OR
   NOT out MATCHES "DycDesiredPivotValue  104")
    message(FATAL_ERROR "the example program against the prefix said (${rc}):\n${out}\n${err}")
endif()

run(readelf -d ${prefix}/lib/libquendel.so)
if(NOT last_output MATCHES "SONAME[^\n]*libquendel\\.so\\.1" OR NOT last_output MATCHES "RUNPATH[^\n]*\\$ORIGIN")
    message(FATAL_ERROR "libquendel.so lacks its SONAME or RUNPATH:\n${last_output}")
endif()

# Every defined dynamic symbol must belong to the API.
run(nm -D --defined-only -C ${prefix}/lib/libquendel.so)
string(REPLACE "\n" ";" symbols "${last_output}")
foreach(line ${symbols})
    if(line STREQUAL "")
        continue()
    endif()
    string(REGEX REPLACE "^[0-9a-fA-F]* +[A-Za-z] +" "" name "${line}")
    if(NOT name MATCHES "^(Quendel::|QuendelResReference::|QUENDEL_|StringToNested|vtable for Quendel|typeinfo (name )?for Quendel|QUENDEL_1$)")
        message(FATAL_ERROR "unexpected exported symbol: ${name}")
    endif()
endforeach()
if(PYTHON)
    run(${CMAKE_COMMAND} -E env PYTHONPATH=${prefix}/${PYTHON_DIR} ${PYTHON} -c
        "import quendel\nprint(quendel.__file__, quendel.__version__)")
    if(NOT last_output MATCHES "^${prefix}/${PYTHON_DIR}/quendel[^ ]*\\.so ")
        message(FATAL_ERROR "the Python module does not import from the prefix: ${last_output}")
    endif()
endif()
message(STATUS "install check passed")
