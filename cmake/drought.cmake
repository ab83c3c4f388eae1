# One library per folder of src/: the .cpp files of the folder (a program's
# main.cpp left out), the folders it builds on as its public links.
#   drought_library(drought_prep DEPENDS drought_records drought_catalogue)
function(drought_library name)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
endfunction()

# A program of the folder from its main.cpp, installed with the programs.
function(drought_program name)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  add_executable(${name} main.cpp)
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS})
  install(TARGETS ${name} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endfunction()
