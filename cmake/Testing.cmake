include(GoogleTest)

# Where tests save the screenshots they take. Point it at docs/screenshots to
# refresh the pictures there; by default a test run leaves the sources alone.
set(VEXEL_SCREENSHOT_DIR "${CMAKE_BINARY_DIR}/screenshots" CACHE PATH
    "Folder for the screenshots that tests take")
file(MAKE_DIRECTORY "${VEXEL_SCREENSHOT_DIR}")

# vexel_add_test(NAME name SOURCES ... LIBS ... LABELS unit|gui|e2e [ENVIRONMENT VAR=value])
# One GoogleTest binary; each TEST becomes one CTest test carrying the labels.
# LABELS and ENVIRONMENT take one value each: gtest_discover_tests splits a
# list into separate properties, so a second entry would be lost.
function(vexel_add_test)
  cmake_parse_arguments(T "" "NAME;LABELS;ENVIRONMENT" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/tests")
  target_compile_definitions(${T_NAME} PRIVATE
    VEXEL_SOURCE_DIR="${PROJECT_SOURCE_DIR}" VEXEL_BIN_DIR="${CMAKE_BINARY_DIR}/bin"
    VEXEL_SCREENSHOT_DIR="${VEXEL_SCREENSHOT_DIR}")
  if(NOT T_LABELS)
    set(T_LABELS unit)
  endif()
  gtest_discover_tests(${T_NAME}
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS "${T_LABELS}" ENVIRONMENT "${T_ENVIRONMENT}")
endfunction()

# vexel_add_benchmark(NAME name SOURCES ... LIBS ...): a Google Benchmark program in build/bench/.
function(vexel_add_benchmark)
  cmake_parse_arguments(B "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${B_NAME} ${B_SOURCES})
  target_link_libraries(${B_NAME} PRIVATE ${B_LIBS} benchmark::benchmark)
  set_target_properties(${B_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/bench")
endfunction()

# vexel_add_fuzzer(NAME name SOURCES ... LIBS ...): a libFuzzer target in build/fuzz/
# (clang only; the tree is configured with -DVEXEL_BUILD_FUZZ=ON).
function(vexel_add_fuzzer)
  cmake_parse_arguments(F "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${F_NAME} ${F_SOURCES})
  target_link_libraries(${F_NAME} PRIVATE ${F_LIBS})
  target_compile_options(${F_NAME} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer,address,undefined)
  set_target_properties(${F_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/fuzz")
endfunction()
