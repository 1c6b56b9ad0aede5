# cmake -DDOCS=valdor3-docs -DVERSION=... -DDATE=... -DOUTPUT=name.1 -P make_manual.cmake
# Writes the manual page and its gzip-compressed copy (OUTPUT.gz), as Debian
# installs manual pages.
execute_process(COMMAND "${DOCS}" manual "${VERSION}" "${DATE}" OUTPUT_FILE "${OUTPUT}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${DOCS} manual failed: ${status}")
endif()
# -n leaves the name and time out of the header, so the bytes stay the same.
execute_process(COMMAND gzip -9nf "${OUTPUT}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "gzip failed: ${status}")
endif()
execute_process(COMMAND "${DOCS}" manual "${VERSION}" "${DATE}" OUTPUT_FILE "${OUTPUT}")
