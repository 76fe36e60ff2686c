# The sACN (E1.31) core as a library of its own: packets, transmission rules,
# the wire's sender and the POSIX socket. It links without the desk or Qt;
# its tests prove that.
add_library(lumora_sacn STATIC
  ${PROJECT_SOURCE_DIR}/output/sacn_packet.cpp
  ${PROJECT_SOURCE_DIR}/output/sacn_wire.cpp
  ${PROJECT_SOURCE_DIR}/output/wire.cpp
  ${PROJECT_SOURCE_DIR}/platform/sacn_socket_posix.cpp)
target_include_directories(lumora_sacn PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(lumora_sacn PUBLIC Threads::Threads)

if(NOT LUMORA_BUILD_TESTS)
  return()
endif()
find_package(GTest REQUIRED)
add_executable(lumora_sacn_tests ${PROJECT_SOURCE_DIR}/tests/test_sacn_packet.cpp)
target_link_libraries(lumora_sacn_tests PRIVATE lumora_sacn GTest::gtest GTest::gtest_main)
add_test(NAME sacn_core COMMAND lumora_sacn_tests)

# A short libFuzzer run of the packet parser (clang, ASan + UBSan).
find_program(LUMORA_CLANGXX clang++)
if(LUMORA_CLANGXX)
  add_test(NAME sacn_fuzz
    COMMAND sh ${PROJECT_SOURCE_DIR}/tests/fuzz/run_sacn_fuzz.sh ${PROJECT_SOURCE_DIR}
            ${CMAKE_BINARY_DIR}/fuzz 200000)
  set_tests_properties(sacn_fuzz PROPERTIES TIMEOUT 300)
endif()

# The desk's sACN against tshark's E1.31 dissector and OLA's E1.31 plugin,
# inside private network namespaces the script makes.
find_program(LUMORA_UNSHARE unshare REQUIRED)
add_test(NAME sacn_ola_interop
  COMMAND ${LUMORA_UNSHARE} -n sh ${PROJECT_SOURCE_DIR}/tests/netns/sacn_interop.sh
          $<TARGET_FILE:lumora> ${CMAKE_BINARY_DIR}/sacn_interop)
set_tests_properties(sacn_ola_interop PROPERTIES TIMEOUT 180)
