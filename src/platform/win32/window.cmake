# The Win32 window host: native controls rendering the control model, the timer driver, and
# the `tidewell` executable (WinMain, icon, manifest). Included by this folder's
# CMakeLists.txt after the services library `tidewell_win32`.

set(TIDEWELL_WIN32_WINDOW_DIR ${CMAKE_CURRENT_LIST_DIR})

add_library(tidewell_win32_window STATIC
    ${TIDEWELL_WIN32_WINDOW_DIR}/win32_accessibility.cpp
    ${TIDEWELL_WIN32_WINDOW_DIR}/win32_control_input.cpp
    ${TIDEWELL_WIN32_WINDOW_DIR}/win32_control_sync.cpp
    ${TIDEWELL_WIN32_WINDOW_DIR}/win32_control_windows.cpp
    ${TIDEWELL_WIN32_WINDOW_DIR}/win32_gdi_cache.cpp
    ${TIDEWELL_WIN32_WINDOW_DIR}/win32_instance_channel.cpp
    ${TIDEWELL_WIN32_WINDOW_DIR}/win32_timer_driver.cpp
    ${TIDEWELL_WIN32_WINDOW_DIR}/win32_tray_watch.cpp
    ${TIDEWELL_WIN32_WINDOW_DIR}/win32_units.cpp
    ${TIDEWELL_WIN32_WINDOW_DIR}/win32_window_renderer.cpp
    ${TIDEWELL_WIN32_WINDOW_DIR}/win32_window_sync.cpp)
target_link_libraries(tidewell_win32_window PUBLIC tidewell_win32 comctl32 gdi32 oleacc oleaut32
                                                   user32)
tidewell_strict(tidewell_win32_window)

add_executable(tidewell WIN32
    ${TIDEWELL_WIN32_WINDOW_DIR}/win32_main.cpp
    ${TIDEWELL_WIN32_WINDOW_DIR}/tidewell.rc)
set_target_properties(tidewell PROPERTIES OUTPUT_NAME tidewell)
target_link_libraries(tidewell PRIVATE tidewell_win32_window)
# A GUI program without a console, in one file that needs only system DLLs.
target_link_options(tidewell PRIVATE -mwindows -static)
tidewell_strict(tidewell)
set_source_files_properties(${TIDEWELL_WIN32_WINDOW_DIR}/tidewell.rc PROPERTIES
    OBJECT_DEPENDS "${TIDEWELL_WIN32_WINDOW_DIR}/tidewell.ico;${TIDEWELL_WIN32_WINDOW_DIR}/tidewell.exe.manifest;${TIDEWELL_WIN32_WINDOW_DIR}/win32_resources.h")

# Its install rules and packages: cmake/packaging.cmake.
