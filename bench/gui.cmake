# The window's cold start (a program, timed from outside by bench/gui-first-paint).
if(QUILLON_BUILD_GUI)
    add_executable(gui_first_paint gui_first_paint.cpp)
    target_link_libraries(gui_first_paint PRIVATE quillon_gui_lib quillon_warnings)
endif()
