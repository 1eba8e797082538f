# Warning and sanitizer flags shared by every target of the project.
add_library(aisfw_options INTERFACE)
target_compile_features(aisfw_options INTERFACE cxx_std_20)
target_compile_options(aisfw_options INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast
  $<$<BOOL:${AISFW_WERROR}>:-Werror>)

# The stricter warnings of the protocol libraries (nmea, store, firmware):
# every narrowing and every change of sign is written out.
add_library(aisfw_strict_warnings INTERFACE)
target_compile_options(aisfw_strict_warnings INTERFACE -Wconversion -Wsign-conversion)

if(AISFW_SANITIZE)
  target_compile_options(aisfw_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(aisfw_options INTERFACE -fsanitize=address,undefined)
  # GCC's null-pointer checks keep it from comparing a function's address
  # with null at compile time, which the formatter table's static_assert
  # does; AddressSanitizer reports a null dereference on its own.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(aisfw_options INTERFACE
      -fno-sanitize=null,nonnull-attribute,returns-nonnull-attribute)
  endif()
endif()

# ThreadSanitizer, for the tests where the serial event thread meets the
# main thread; it cannot be combined with AddressSanitizer.
if(AISFW_TSAN)
  target_compile_options(aisfw_options INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(aisfw_options INTERFACE -fsanitize=thread)
endif()

# A fuzzing build instruments every library for coverage, not just the
# harnesses, or libFuzzer sees nothing of the code under test.
if(AISFW_FUZZ)
  target_compile_options(aisfw_options INTERFACE -fsanitize=fuzzer-no-link)
endif()

# aisfw_add_test(NAME SOURCES... LIBS ... [LABELS ...]): one GoogleTest
# executable, each of its cases registered with CTest. The label "threads"
# marks the tests that `make test-tsan` runs.
function(aisfw_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main aisfw_options)
  target_compile_definitions(${name} PRIVATE
    AISFW_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data")
  # Tests may use any header of the tree (their helpers, the corpus reader).
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  if(T_LABELS)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES PROPERTIES LABELS "${T_LABELS}")
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES)
  endif()
endfunction()
