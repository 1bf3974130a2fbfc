# What a host developer needs besides the plug-in directory: the interface
# header with the two framework headers it includes, and a pkg-config file
# naming both places.
install(FILES ${PROJECT_SOURCE_DIR}/include/ZrAudioPlugin.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/tonehall)
install(FILES ${PROJECT_SOURCE_DIR}/ZrCoreLib/IZrReader.h ${PROJECT_SOURCE_DIR}/ZrCoreLib/ZrString.h
              ${PROJECT_SOURCE_DIR}/ZrCoreLib/IZrStringManager.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/tonehall/ZrCoreLib)

# Written in two steps: the directories now, the prefix at install time, so
# that `cmake --install build --prefix P` gets paths under P rather than under
# the prefix the build was configured with.
function(tonehall_pc_dir out dir)
    if(IS_ABSOLUTE "${dir}")
        set(${out} "${dir}" PARENT_SCOPE)
    else()
        set(${out} "\${prefix}/${dir}" PARENT_SCOPE)
    endif()
endfunction()
tonehall_pc_dir(PC_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR})
tonehall_pc_dir(PC_PLUGINDIR ${TONEHALL_INSTALL_PLUGINDIR})
set(PC_VERSION ${PROJECT_VERSION})
set(PC_PREFIX "@PC_PREFIX@")
configure_file(${PROJECT_SOURCE_DIR}/cmake/tonehall-plugin.pc.in
               ${PROJECT_BINARY_DIR}/tonehall-plugin.pc.in @ONLY)
install(CODE "
    set(PC_PREFIX \"\${CMAKE_INSTALL_PREFIX}\")
    configure_file(\"${PROJECT_BINARY_DIR}/tonehall-plugin.pc.in\"
                   \"${PROJECT_BINARY_DIR}/tonehall-plugin.pc\" @ONLY)
")
install(FILES ${PROJECT_BINARY_DIR}/tonehall-plugin.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
