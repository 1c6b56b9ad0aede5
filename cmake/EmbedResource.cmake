# Turns a file into a C++ source holding its bytes, so the Qt-free core can carry
# resources (the translation table, the music) without a resource compiler.
function(valdor_embed_resource out_var symbol input)
  set(output "${CMAKE_CURRENT_BINARY_DIR}/embedded_${symbol}.cpp")
  add_custom_command(
    OUTPUT "${output}"
    COMMAND "${CMAKE_COMMAND}" -DINPUT=${input} -DOUTPUT=${output} -DSYMBOL=${symbol}
            -P "${PROJECT_SOURCE_DIR}/cmake/embed_file.cmake"
    DEPENDS "${input}" "${PROJECT_SOURCE_DIR}/cmake/embed_file.cmake"
    COMMENT "Embedding ${input}"
    VERBATIM)
  set(${out_var} "${output}" PARENT_SCOPE)
endfunction()
