# The help file: the pages under help/ are converted to Shift_JIS and compiled into
# velmora.chm by chmcmd (package fp-utils). It goes to help/ of the build folder,
# not beside velmora.exe, so that tests of the program see a folder without help;
# the release script puts it next to the program.
find_program(VELMORA_CHMCMD chmcmd)
list(TRANSFORM VELMORA_HELP_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/ OUTPUT_VARIABLE VELMORA_HELP_FILES)
if(VELMORA_CHMCMD)
  add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/help/velmora.chm
    COMMAND sh ${CMAKE_SOURCE_DIR}/help/build_chm.sh ${CMAKE_SOURCE_DIR}/help
            ${CMAKE_BINARY_DIR}/help ${VELMORA_VERSION} ${VELMORA_CHMCMD}
    DEPENDS ${VELMORA_HELP_FILES}
    COMMENT "Compiling velmora.chm"
    VERBATIM)
  add_custom_target(velmora_help ALL DEPENDS ${CMAKE_BINARY_DIR}/help/velmora.chm)
else()
  message(WARNING "chmcmd (package fp-utils) not found: velmora.chm is not built")
endif()

# The check that F1 and the Help menu open the help without the warning box. It
# starts the x86_64 program under wine64, so it is built only in that build.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  add_executable(velmora_help_check tests/help/help_check_win.cpp)
  velmora_options(velmora_help_check)
  target_link_libraries(velmora_help_check PRIVATE velmora_core ${VELMORA_STATIC_LINK})
endif()
