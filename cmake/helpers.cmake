# Adds the listed folders that have a CMakeLists.txt.
function(vistrel_add_rooms)
  foreach(room IN LISTS ARGN)
    if(EXISTS "${CMAKE_CURRENT_SOURCE_DIR}/${room}/CMakeLists.txt")
      add_subdirectory(${room})
    endif()
  endforeach()
endfunction()

# Links every listed target that exists into TARGET.
function(vistrel_link_existing target scope)
  foreach(lib IN LISTS ARGN)
    if(TARGET ${lib})
      target_link_libraries(${target} ${scope} ${lib})
    endif()
  endforeach()
endfunction()

# A GoogleTest executable registered as one ctest test. Results go to
# VISTREL_RESULTS_DIR as XML, which scripts/test counts. In the cross build
# ctest runs it through the Wine emulator wrapper.
#   vistrel_add_gtest(NAME n SOURCES a.cpp b.cpp LIBS x y [TIMEOUT s])
function(vistrel_add_gtest)
  cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest_main GTest::gtest)
  if(VISTREL_WIN32)
  endif()
  # Under Wine a Unix path needs its drive: Z: is the Unix root.
  set(results "${VISTREL_RESULTS_DIR}")
  if(VISTREL_WIN32)
    set(results "Z:${VISTREL_RESULTS_DIR}")
  endif()
  add_test(NAME ${T_NAME} COMMAND ${T_NAME} --gtest_output=xml:${results}/${T_NAME}.xml
           WORKING_DIRECTORY "${CMAKE_BINARY_DIR}/bin")
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT})
endfunction()

# Puts a built target into dist/ after each build.
function(vistrel_ship target)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory "${VISTREL_DIST_DIR}"
    COMMAND ${CMAKE_COMMAND} -E copy_if_different "$<TARGET_FILE:${target}>" "${VISTREL_DIST_DIR}/")
endfunction()
