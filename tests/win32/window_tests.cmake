# Host tests of the Win32 window: the rendered window, input into the model and the timer
# driver. Run under Wine with an X display (scripts/test-windows.sh).

add_executable(tidewell_win32_window_tests
    ${CMAKE_CURRENT_LIST_DIR}/window_empty_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/window_input_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/window_layout_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/window_state_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/window_status_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/window_timer_test.cpp)
target_include_directories(tidewell_win32_window_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(tidewell_win32_window_tests PRIVATE tidewell_win32_window tidewell_fakes
                                                          oleacc oleaut32 GTest::gtest_main)
target_link_options(tidewell_win32_window_tests PRIVATE -static)
tidewell_strict(tidewell_win32_window_tests)
add_test(NAME win32_window COMMAND tidewell_win32_window_tests)
set_tests_properties(win32_window PROPERTIES LABELS win32 TIMEOUT 300)

# The end-to-end tests' shell client: puts files into the Recycle Bin and counts its items.
add_executable(tidewell_recycle_tool ${CMAKE_SOURCE_DIR}/tests/e2e-win32/recycle_tool.cpp)
target_compile_definitions(tidewell_recycle_tool PRIVATE _WIN32_WINNT=0x0601)
target_link_libraries(tidewell_recycle_tool PRIVATE shell32 advapi32)
target_link_options(tidewell_recycle_tool PRIVATE -static)
tidewell_strict(tidewell_recycle_tool)

# End to end: tidewell.exe under Wine with Xvfb and icewm (bash scripts, not run by the
# emulator). Each takes a fresh Wine prefix, so they run one at a time.
file(GLOB TIDEWELL_WIN32_E2E CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e-win32/test_*.sh)
foreach(script ${TIDEWELL_WIN32_E2E})
    get_filename_component(name ${script} NAME_WE)
    add_test(NAME e2e_win32_${name} COMMAND bash ${script} ${CMAKE_BINARY_DIR})
    set_tests_properties(e2e_win32_${name} PROPERTIES LABELS e2e-win32 TIMEOUT 600 RUN_SERIAL TRUE)
endforeach()
