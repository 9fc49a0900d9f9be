# fi_install_manual(PAGE TARGET): compresses the built manual page PAGE (reproducibly, as Debian
# wants it) in a target named TARGET and installs it in section 1.
function(fi_install_manual page target)
    add_custom_command(OUTPUT ${page}.gz
        COMMAND gzip -9 --no-name --force --keep ${page}
        DEPENDS ${page}
        VERBATIM)
    add_custom_target(${target} ALL DEPENDS ${page}.gz)
    install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()
