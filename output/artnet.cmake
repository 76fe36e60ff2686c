# The Art-Net protocol core as a library of its own: packets, node logic and
# the POSIX socket. It links without the desk or Qt; its tests prove that.
add_library(lumora_artnet STATIC
  ${PROJECT_SOURCE_DIR}/output/artnet_packet.cpp
  ${PROJECT_SOURCE_DIR}/output/artnet_node.cpp
  ${PROJECT_SOURCE_DIR}/output/artnet_nodes.cpp
  ${PROJECT_SOURCE_DIR}/platform/udp_socket_posix.cpp)
target_include_directories(lumora_artnet PUBLIC ${PROJECT_SOURCE_DIR})

# Its tests, when the tree builds tests.
if(NOT LUMORA_BUILD_TESTS)
  return()
endif()
find_package(GTest REQUIRED)
add_executable(lumora_artnet_tests ${PROJECT_SOURCE_DIR}/tests/test_artnet_packet.cpp)
target_link_libraries(lumora_artnet_tests PRIVATE lumora_artnet GTest::gtest GTest::gtest_main)
add_test(NAME artnet_core COMMAND lumora_artnet_tests)

# Real sockets only inside a private network namespace made by the test.
add_executable(lumora_artnet_netns_tests ${PROJECT_SOURCE_DIR}/tests/netns/artnet_netns_test.cpp)
target_link_libraries(lumora_artnet_netns_tests PRIVATE lumora_engine GTest::gtest GTest::gtest_main)
find_program(LUMORA_UNSHARE unshare REQUIRED)
add_test(NAME artnet_netns
  COMMAND ${LUMORA_UNSHARE} -n sh ${PROJECT_SOURCE_DIR}/tests/netns/artnet_netns.sh
          $<TARGET_FILE:lumora_artnet_netns_tests>)
set_tests_properties(artnet_netns PROPERTIES TIMEOUT 120)

# A short libFuzzer run of the datagram handling (clang, ASan + UBSan).
find_program(LUMORA_CLANGXX clang++)
if(LUMORA_CLANGXX)
  add_test(NAME artnet_fuzz
    COMMAND sh ${PROJECT_SOURCE_DIR}/tests/fuzz/run_artnet_fuzz.sh ${PROJECT_SOURCE_DIR}
            ${CMAKE_BINARY_DIR}/fuzz 200000)
  set_tests_properties(artnet_fuzz PROPERTIES TIMEOUT 300)
endif()

# Interop with OLA's olad as a real peer, checked with tshark's dissector,
# inside private network namespaces.
add_test(NAME artnet_ola_interop
  COMMAND ${LUMORA_UNSHARE} -n sh ${PROJECT_SOURCE_DIR}/tests/netns/ola_interop.sh
          $<TARGET_FILE:lumora> ${CMAKE_BINARY_DIR}/ola_interop)
set_tests_properties(artnet_ola_interop PROPERTIES TIMEOUT 120)

# The desk's list of other nodes against a test node of our own, inside
# private network namespaces.
add_executable(artnet_test_node ${PROJECT_SOURCE_DIR}/tests/netns/artnet_test_node.cpp)
target_link_libraries(artnet_test_node PRIVATE lumora_artnet)
add_executable(lumora_health_netns_tests ${PROJECT_SOURCE_DIR}/tests/netns/health_netns_test.cpp)
target_link_libraries(lumora_health_netns_tests PRIVATE lumora_engine GTest::gtest GTest::gtest_main)
add_test(NAME artnet_nodes_netns
  COMMAND ${LUMORA_UNSHARE} -n sh ${PROJECT_SOURCE_DIR}/tests/netns/health_netns.sh
          $<TARGET_FILE:lumora_health_netns_tests> $<TARGET_FILE:artnet_test_node>)
set_tests_properties(artnet_nodes_netns PROPERTIES TIMEOUT 120)
