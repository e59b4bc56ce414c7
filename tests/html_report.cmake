# The HTML reports rendered by Debian's headless chromium (scripts/setup installs it).
if(TARGET quendel_cli AND NOT QUENDEL_SANITIZE)
    add_test(NAME html_report COMMAND /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/html_report_test.py)
    set_tests_properties(html_report PROPERTIES TIMEOUT 300 ENVIRONMENT
        "QUENDEL_TOOL=$<TARGET_FILE:quendel_cli>;QUENDEL_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endif()
