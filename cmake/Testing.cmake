include(GoogleTest)

# vexel_add_test(NAME name SOURCES ... LIBS ... LABELS unit|gui|e2e [ENVIRONMENT VAR=value ...])
# One GoogleTest binary; each TEST becomes one CTest test carrying the labels.
function(vexel_add_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS;LABELS;ENVIRONMENT" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/tests")
  target_compile_definitions(${T_NAME} PRIVATE
    VEXEL_SOURCE_DIR="${PROJECT_SOURCE_DIR}" VEXEL_BIN_DIR="${CMAKE_BINARY_DIR}/bin")
  if(NOT T_LABELS)
    set(T_LABELS unit)
  endif()
  gtest_discover_tests(${T_NAME}
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS "${T_LABELS}" ENVIRONMENT "${T_ENVIRONMENT}")
endfunction()
