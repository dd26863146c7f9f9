# The node count of `shirokuro --bench` against the signature kept in
# tests/bench.signature: a change that alters what the search does on
# purpose updates the signature and says why; a restructuring keeps it.
#   cmake -DBINARY=... -DSIGNATURE=... -P bench_signature.cmake
execute_process(COMMAND ${BINARY} --bench OUTPUT_VARIABLE out RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT out MATCHES "^bench: ([0-9]+) nodes")
  message(FATAL_ERROR "shirokuro --bench failed (status ${status}): ${out}")
endif()
set(nodes ${CMAKE_MATCH_1})
file(STRINGS ${SIGNATURE} expected LIMIT_COUNT 1)
if(NOT nodes STREQUAL expected)
  message(FATAL_ERROR "--bench visits ${nodes} positions, the signature says ${expected}: "
                      "the search has changed. If on purpose, put ${nodes} in ${SIGNATURE} and say why in the commit.")
endif()
message(STATUS "${out}")
