# The GUI tests: velmora_gui_tests.exe runs the whole program inside its own
# process (x86_64 build, under wine64 on a virtual display; scripts/test-gui.sh).
if(TARGET velmora_app AND TARGET velmora_resources AND TARGET gtest AND CMAKE_SIZEOF_VOID_P EQUAL 8)
  add_executable(velmora_gui_tests ${VELMORA_GUI_TEST_SOURCES} ${VELMORA_TEST_SUPPORT_SOURCES}
                 $<TARGET_OBJECTS:velmora_resources>)
  velmora_options(velmora_gui_tests)
  target_include_directories(velmora_gui_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_compile_definitions(velmora_gui_tests PRIVATE VELMORA_CORPUS_DIR="${VELMORA_CORPUS_DIR}")
  target_link_libraries(velmora_gui_tests PRIVATE velmora_app velmora_core gtest comctl32 comdlg32 shell32
                        gdi32 user32 ${VELMORA_STATIC_LINK})
  # velmora.exe is started by the single-instance tests, so it is built with them.
  add_dependencies(velmora_gui_tests velmora)
endif()
