# The OpenGL control's tests: failure reports, options, projection and events,
# on a real window and driver.
veltrane_add_gtest(opengl_control_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/OpenGLControl_test.cpp
    LIBS opengl toolkit
    LABELS opengl gui
)
