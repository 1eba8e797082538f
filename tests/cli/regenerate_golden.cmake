# Writes the golden files of the receiver logs: tests/data/golden/nmea/
# <log>.decode.jsonl, the output of `aisfw decode <log>`. Run on purpose only
# (make golden), after a change that is meant to change what a log decodes
# to; review the difference before committing it.
#
#   cmake -DAISFW=<path of aisfw> -DDATA=<tests/data> -P regenerate_golden.cmake
file(GLOB logs "${DATA}/corpus/nmea/*.log")
file(MAKE_DIRECTORY "${DATA}/golden/nmea")
foreach(log IN LISTS logs)
  get_filename_component(name "${log}" NAME)
  execute_process(COMMAND "${AISFW}" decode "${log}"
                  OUTPUT_FILE "${DATA}/golden/nmea/${name}.decode.jsonl"
                  RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "aisfw decode ${log} failed: ${result}")
  endif()
endforeach()
list(LENGTH logs count)
message(STATUS "Wrote ${count} golden files to ${DATA}/golden/nmea")
