# Host tests of the Win32 window: the rendered window, input into the model and the timer
# driver. Run under Wine with an X display (scripts/test-win32-host.sh).

add_executable(tidewell_win32_window_tests
    ${CMAKE_CURRENT_LIST_DIR}/window_input_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/window_layout_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/window_timer_test.cpp)
target_include_directories(tidewell_win32_window_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(tidewell_win32_window_tests PRIVATE tidewell_win32_window GTest::gtest_main)
target_link_options(tidewell_win32_window_tests PRIVATE -static)
tidewell_strict(tidewell_win32_window_tests)
add_test(NAME win32_window COMMAND tidewell_win32_window_tests)
set_tests_properties(win32_window PROPERTIES LABELS win32 TIMEOUT 300)
