# The language server's tests run the built quendel tool as an editor would; one runs Debian's
# neovim with its built-in LSP client (scripts/setup installs it).
find_package(nlohmann_json 3 REQUIRED)
find_program(QUENDEL_NVIM nvim)
foreach(test lsp_protocol_test lsp_tree_test lsp_neovim_test)
    if(TARGET ${test} AND TARGET quendel_cli)
        add_dependencies(${test} quendel_cli)
        target_link_libraries(${test} PRIVATE nlohmann_json::nlohmann_json)
        target_compile_definitions(${test} PRIVATE QUENDEL_TOOL="$<TARGET_FILE:quendel_cli>"
                                                   QUENDEL_NVIM="${QUENDEL_NVIM}")
    endif()
endforeach()
if(TARGET lsp_neovim_test AND NOT QUENDEL_NVIM)
    message(WARNING "nvim not found: lsp_neovim_test fails until neovim is installed "
                    "(scripts/setup installs it)")
endif()
