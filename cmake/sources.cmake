# Every source file of the program and its tests, by name, so that a new file is a
# visible change here. Paths are relative to the top folder. Included by
# CMakeLists.txt and by fuzz/CMakeLists.txt (which compiles the portable core too).

# The portable core: document, presentation, repair search and the command-line
# parser. No Windows header in any of them.
set(VELMORA_CORE_SOURCES
    src/app/first_argument.cpp src/app/first_argument.h
    src/document/alert.cpp src/document/alert.h
    src/document/byte_order.h
    src/document/chunk_edit.cpp src/document/chunk_edit.h
    src/document/chunk_file.cpp src/document/chunk_file.h
    src/document/chunk_ops.cpp src/document/chunk_ops.h src/document/chunk_forms.cpp
    src/document/crc32.cpp src/document/crc32.h
    src/document/document_texts.h
    src/document/file_layer.cpp src/document/file_layer.h
    src/document/memory.cpp src/document/memory.h
    src/document/slimming.cpp src/document/slimming.h
    src/document/undo_history.cpp src/document/undo_history.h
    src/document/zlib_reader.cpp src/document/zlib_reader.h
    src/fields/extension_fields.cpp
    src/fields/field_helpers.cpp
    src/fields/field_io.h
    src/fields/field_model.cpp src/fields/field_model.h
    src/fields/field_names.cpp src/fields/field_names.h
    src/fields/field_result_texts.h
    src/fields/field_values.cpp
    src/fields/field_zlib.cpp src/fields/field_zlib.h
    src/fields/frame_fields.cpp
    src/fields/image_fields.cpp
    src/fields/text_chunk_fields.cpp
    src/fields/text_rules.cpp src/fields/text_rules.h
    src/present/animation_fields.cpp
    src/present/chunk_fields.cpp src/present/chunk_fields.h
    src/present/code_page.cpp src/present/code_page.h
    src/present/exif_icc.cpp
    src/present/exif_reader.cpp src/present/exif_reader.h
    src/present/field_writers.h
    src/present/registered_fields.cpp
    src/present/field_texts.h
    src/present/text_codec.cpp src/present/text_codec.h
    src/present/text_fields.cpp
    src/present/text_insights.cpp src/present/text_insights.h
    src/present/text_out.cpp src/present/text_out.h
    src/present/chunk_summary.cpp src/present/chunk_summary.h
    src/present/chunk_table.cpp src/present/chunk_table.h
    src/present/present_texts.h
    src/repair/candidate_text.cpp src/repair/candidate_text.h
    src/repair/crc_difference.h
    src/repair/ihdr_search.cpp src/repair/ihdr_search.h
    src/repair/repair_search.cpp src/repair/repair_search.h
    src/repair/repair_texts.h
    src/repair/stream_check.cpp src/repair/stream_check.h
    src/repair/structure_check.cpp src/repair/structure_check.h
    src/check/check.h src/check/check_texts.h
    src/check/check_animation.cpp
    src/check/check_fields.cpp
    src/check/check_image.cpp src/check/check_image.h
    src/check/check_streams.cpp
    src/check/check_structure.cpp
    src/check/chunk_order.cpp src/check/chunk_order.h
    src/check/findings.cpp
    src/check/growing_list.h
    src/check/privacy.cpp src/check/privacy.h
    src/check/privacy_exif.cpp
    src/check/privacy_scan.h
    src/check/privacy_sources.cpp
    src/rescue/crc_toggles.cpp src/rescue/crc_toggles.h
    src/rescue/line_endings.cpp src/rescue/line_endings.h
    src/rescue/line_groups.cpp src/rescue/line_search.h
    src/rescue/rescue.cpp src/rescue/rescue.h
    src/rescue/rescue_checks.cpp
    src/rescue/rescue_explain.cpp src/rescue/rescue_explain.h
    src/rescue/rescue_framing.cpp src/rescue/rescue_framing.h
    src/rescue/rescue_result.cpp src/rescue/rescue_result.h
    src/rescue/rescue_scan.h
    src/rescue/rescue_start.cpp
    src/rescue/rescue_stream.cpp src/rescue/rescue_stream.h
    src/rescue/rescue_text.cpp src/rescue/rescue_text.h
    src/rescue/rescue_texts.h
    src/rescue/rescue_walk.cpp
    src/rescue/rescue_zlib.cpp src/rescue/rescue_zlib.h
    # The editors' choices beside the fields by name.
    src/fields/editor_fields.cpp src/fields/editor_fields.h)
# The core's file layer: one per platform.
set(VELMORA_CORE_POSIX_SOURCES src/document/file_layer_posix.cpp src/present/code_page_posix.cpp)
set(VELMORA_CORE_WIN_SOURCES src/document/file_layer_win.cpp src/present/code_page_win.cpp)
# Headers shared with the resource script.
set(VELMORA_RESOURCE_HEADERS res/resource_ids.h res/maker.h)

# The Win32 shell (velmora_app): src/app without the entry point and the parser,
# and the window halves beside their subsystems.
set(VELMORA_APP_SOURCES
    src/app/about_box.cpp
    src/app/app.h
    src/app/main_layout.cpp
    src/app/chunk_view.h
    src/app/chunk_view_dialog.cpp
    src/app/chunk_view_texts.h
    src/app/edit_commands.cpp
    src/app/file_commands.cpp
    src/app/main_commands.h
    src/app/main_window.cpp
    src/app/preview_commands.cpp
    src/app/preview_texts.h
    src/app/preview_win.cpp src/app/preview_win.h
    src/app/shell_texts.h
    src/app/slimming_questions.cpp
    src/app/start_up.cpp
    src/app/undo_texts.h
    src/app/view_commands.cpp
    src/present/list_view_win.cpp src/present/list_view_win.h
    src/repair/candidate_dialog_win.cpp src/repair/candidate_dialog_win.h
    src/repair/progress_window_win.cpp src/repair/progress_window_win.h
    src/app/check_commands.cpp
    src/app/owned_window.cpp
    src/check/check_win.cpp src/check/check_win.h src/check/check_win_texts.h
    src/check/privacy_win.cpp)
# The chunk commands: move, clipboard, split, export and import.
list(APPEND VELMORA_APP_SOURCES
    src/app/chunk_command_texts.h
    src/app/chunk_commands.cpp
    src/app/split_dialog.cpp src/app/split_dialog.h
    src/document/chunk_clipboard_win.cpp src/document/chunk_clipboard_win.h)
list(APPEND VELMORA_APP_SOURCES
    # The chunk editors and their commands.
    src/app/editor_commands.cpp
    src/fields/editor_dialogs_win.h src/fields/editor_texts.h
    src/fields/field_dialog_win.cpp
    src/fields/palette_dialog_win.cpp
    src/fields/text_dialog_win.cpp)
set(VELMORA_MAIN_SOURCE src/app/win_main.cpp)

# Helpers that the unit tests, the GUI tests, the benchmark and the fuzz targets share.
set(VELMORA_TEST_SUPPORT_SOURCES
    tests/support/faulty_layer.h
    tests/support/memory_files.cpp tests/support/memory_files.h
    tests/support/test_support.cpp tests/support/test_support.h
    tests/document/chunk_model.h
    tests/check/check_fixtures.h
    tests/present/presentation_checks.h
    tests/repair/plain_search.h
    tests/repair/repair_harness.h
    tests/rescue/rescue_fixtures.h)
# Tests of the portable core, built for every platform (natively, and for Windows
# against the Windows file layer).
set(VELMORA_CORE_TEST_SOURCES
    tests/app/first_argument_test.cpp
    tests/document/chunk_edit_test.cpp
    tests/document/chunk_file_test.cpp
    tests/document/chunk_ops_test.cpp
    tests/document/corpus_test.cpp
    tests/document/crc32_test.cpp
    tests/document/robustness_test.cpp
    tests/document/slimming_test.cpp
    tests/fields/field_model_test.cpp
    tests/fields/field_names_test.cpp
    tests/present/chunk_fields_test.cpp
    tests/present/chunk_summary_test.cpp
    tests/present/chunk_table_test.cpp
    tests/repair/repair_decision_test.cpp
    tests/repair/repair_search_test.cpp
    tests/repair/structure_check_test.cpp
    tests/check/check_test.cpp
    tests/check/privacy_test.cpp
    tests/rescue/crc_toggles_test.cpp
    tests/rescue/rescue_test.cpp)
# Tests of one platform only.
set(VELMORA_POSIX_TEST_SOURCES)
set(VELMORA_WIN_TEST_SOURCES
    tests/app/shell_win_test.cpp
    tests/document/file_layer_win_test.cpp
    tests/document/held_files_win_test.cpp)
# The GUI tests: the harness, its fixtures and the tests that use them.
set(VELMORA_GUI_TEST_SOURCES
    tests/app/gui_harness_win.cpp tests/app/gui_harness_win.h
    tests/app/gui_fixtures_win.cpp tests/app/gui_fixtures_win.h
    tests/app/gui_process_win.cpp tests/app/gui_process_win.h
    tests/app/gui_about_help_win.cpp
    tests/app/gui_benchmark_win.cpp
    tests/app/gui_chunk_view_win.cpp
    tests/app/gui_main_win.cpp
    tests/app/gui_main_window_win.cpp
    tests/app/gui_preview_win.cpp
    tests/app/gui_program_win.cpp
    tests/app/gui_repair_win.cpp
    tests/app/gui_single_instance_win.cpp
    tests/app/gui_check_win.cpp)
list(APPEND VELMORA_GUI_TEST_SOURCES tests/app/gui_chunk_commands_win.cpp)
list(APPEND VELMORA_GUI_TEST_SOURCES tests/app/gui_editor_win.cpp)

# The command line (velmora-cli): the commands and their parser, portable, and the
# console layer of each platform; main() apart so that the tests link the rest.
set(VELMORA_CLI_SOURCES
    src/cli/cli_args.cpp src/cli/cli_args.h
    src/cli/cli_batch.cpp src/cli/cli_batch.h
    src/cli/cli_check.cpp
    src/cli/cli_command_table.cpp src/cli/cli_commands.h
    src/cli/cli_context.h
    src/cli/cli_list.cpp
    src/cli/cli_load.cpp
    src/cli/cli_main.cpp src/cli/cli_main.h
    src/cli/cli_move.cpp
    src/cli/cli_output.cpp
    src/cli/cli_repair.cpp
    src/cli/cli_rescue.cpp
    src/cli/cli_show.cpp
    src/cli/cli_slim.cpp
    src/cli/cli_split.cpp
    src/cli/cli_texts.cpp src/cli/cli_texts.h
    # set, insert, import and export
    src/cli/cli_edit.h
    src/cli/cli_set.cpp
    src/cli/cli_transfer.cpp
    src/cli/console.h
    src/cli/path_list.cpp src/cli/path_list.h)
set(VELMORA_CLI_POSIX_SOURCES src/cli/console_posix.cpp)
set(VELMORA_CLI_WIN_SOURCES src/cli/console_win.cpp)
set(VELMORA_CLI_MAIN_SOURCE src/cli/cli_entry.cpp)
# Its tests: in process natively (a recording console), and the built program.
set(VELMORA_CLI_TEST_SOURCES
    tests/cli/cli_harness.cpp tests/cli/cli_harness.h
    tests/cli/cli_args_test.cpp
    tests/cli/cli_commands_test.cpp)
set(VELMORA_CLI_PROGRAM_TEST_SOURCES tests/cli/cli_program_test.cpp)

# The help pages that build_chm.sh compiles into velmora.chm.
set(VELMORA_HELP_SOURCES
    help/build_chm.sh help/velmora.hhp help/toc.hhc help/index.hhk help/velmora.css
    help/about.html help/cli.html help/index.html help/contents.html help/keys.html help/limits.html help/messages.html
    help/open.html help/repair.html help/save.html help/slim.html help/status.html
    help/summary.html help/table.html help/window.html
    help/readme.txt)
list(APPEND VELMORA_HELP_SOURCES help/chunks.html help/undo.html)

# The rescue's report texts, its window half and command, their GUI test and help page.
list(APPEND VELMORA_CORE_SOURCES src/rescue/rescue_report.cpp src/rescue/rescue_report.h)
list(APPEND VELMORA_APP_SOURCES
    src/app/rescue_commands.cpp
    src/rescue/rescue_win.cpp src/rescue/rescue_win.h
    src/rescue/rescue_win_texts.h)
list(APPEND VELMORA_GUI_TEST_SOURCES tests/app/gui_rescue_win.cpp)
list(APPEND VELMORA_HELP_SOURCES help/rescue.html)
list(APPEND VELMORA_CORE_TEST_SOURCES tests/rescue/rescue_report_test.cpp)
list(APPEND VELMORA_HELP_SOURCES help/check.html help/privacy.html)
list(APPEND VELMORA_HELP_SOURCES help/editors.html)
