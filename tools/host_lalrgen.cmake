# SPDX-License-Identifier: GPL-3.0-or-later
# The parser tables' generator in a cross build (emscripten): it runs on the
# build machine, so it is the one TAVEX_HOST_LALRGEN names or one built here
# with the build machine's compiler, TAVEX_HOST_CXX. It stands in for the
# lalrgen target of tools/CMakeLists.txt, which the native build makes.
set(TAVEX_HOST_LALRGEN "" CACHE FILEPATH "lalrgen built for the build machine (cross builds)")
set(TAVEX_HOST_CXX c++ CACHE STRING "The build machine's C++ compiler (cross builds)")
set(host_lalrgen ${TAVEX_HOST_LALRGEN})
if(NOT host_lalrgen)
  set(host_lalrgen ${CMAKE_BINARY_DIR}/tools/host/lalrgen-host)
  add_custom_command(
    OUTPUT ${host_lalrgen}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/tools/host
    COMMAND ${TAVEX_HOST_CXX} -std=c++20 -O2 ${TAVEX_WARNINGS} -I${PROJECT_SOURCE_DIR}
            ${PROJECT_SOURCE_DIR}/tools/lalrgen.cpp -o ${host_lalrgen}
    DEPENDS ${PROJECT_SOURCE_DIR}/tools/lalrgen.cpp
    IMPLICIT_DEPENDS CXX ${PROJECT_SOURCE_DIR}/tools/lalrgen.cpp
    COMMENT "Building lalrgen for the build machine")
endif()
add_custom_target(host_lalrgen DEPENDS ${host_lalrgen})
add_executable(lalrgen IMPORTED GLOBAL)
set_target_properties(lalrgen PROPERTIES IMPORTED_LOCATION ${host_lalrgen})
