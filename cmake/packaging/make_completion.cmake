# cmake -DDOCS=valdor3-docs -DTEMPLATE=... -DOUTPUT=... -P make_completion.cmake
# Puts the completion table the program writes into the script's template.
execute_process(COMMAND "${DOCS}" completion OUTPUT_VARIABLE table RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${DOCS} completion failed: ${status}")
endif()
# The table goes between single quotes; an entry holding one would end them.
string(REPLACE "'" "'\\''" table "${table}")
string(REGEX REPLACE "\n$" "" table "${table}")
file(READ "${TEMPLATE}" script)
string(REPLACE "@COMPLETION_TABLE@" "${table}" script "${script}")
file(WRITE "${OUTPUT}" "${script}")
