# Installs the CMake package (Quendel::quendel) and the pkg-config file.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)
set(QUENDEL_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Quendel)
install(EXPORT QuendelTargets NAMESPACE Quendel:: DESTINATION ${QUENDEL_CMAKE_DIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/QuendelConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/QuendelConfig.cmake
                              INSTALL_DESTINATION ${QUENDEL_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/QuendelConfigVersion.cmake
                                 VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/QuendelConfig.cmake
              ${PROJECT_BINARY_DIR}/QuendelConfigVersion.cmake
        DESTINATION ${QUENDEL_CMAKE_DIR})
# The prefix is only known at install time, so the .pc file is written then.
install(CODE "
    set(CMAKE_INSTALL_PREFIX \"\${CMAKE_INSTALL_PREFIX}\")
    set(CMAKE_INSTALL_LIBDIR \"${CMAKE_INSTALL_LIBDIR}\")
    set(CMAKE_INSTALL_INCLUDEDIR \"${CMAKE_INSTALL_INCLUDEDIR}\")
    set(PROJECT_VERSION \"${PROJECT_VERSION}\")
    configure_file(\"${PROJECT_SOURCE_DIR}/cmake/quendel.pc.in\"
                   \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/pkgconfig/quendel.pc\" @ONLY)
")
