# Fails when MODULE, stripped of its debug sections and symbols as scripts/package.sh packs it, is larger
# than LIMIT bytes, so that what the module links in cannot grow unnoticed.
execute_process(COMMAND ${STRIP} --strip-all -o ${STRIPPED} ${MODULE} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${STRIP} failed on ${MODULE}")
endif()
file(SIZE ${STRIPPED} size)
file(REMOVE ${STRIPPED})
message(STATUS "${MODULE} as packed: ${size} bytes (limit ${LIMIT})")
if(size GREATER LIMIT)
  message(FATAL_ERROR "the packed module is ${size} bytes, more than the limit of ${LIMIT}")
endif()
