# The OpenGL control: a toolkit control around the loader.
target_sources(opengl PRIVATE ${CMAKE_CURRENT_LIST_DIR}/unit_TOpenGLControl_version_007.cpp)
target_link_libraries(opengl PUBLIC toolkit)
