# A binary file's bytes built into a target as a C++ array, turned into
# source at build time (so an edited file rebuilds the program). Plain
# C++ works alike with every compiler and target we build, where an
# assembler .incbin would need each one's section and symbol names.
#
#   shirokuro_embed(target file symbol)   defines engine::<symbol>, its
#                                         bytes, and engine::<symbol>Size,
#                                         as declared in engine/patterns.h
#
# Run as a script (cmake -DINPUT=... -DOUTPUT=... -DSYMBOL=... -P) it
# writes the source.
if(CMAKE_SCRIPT_MODE_FILE)
  file(READ "${INPUT}" hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR size "${digits} / 2")
  # One string literal of escapes compiles in a fraction of the time a
  # list of a million numbers takes; its closing zero is not counted.
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "\\\\x\\1" escaped "${hex}")
  file(WRITE "${OUTPUT}.part"
       "// Generated from ${INPUT} at build time; do not edit.\n"
       "#include \"engine/patterns.h\"\n\n"
       "#pragma GCC diagnostic ignored \"-Woverlength-strings\"\n\n"
       "namespace engine {\n\n"
       "const std::uint8_t ${SYMBOL}[${size} + 1] = \"${escaped}\";\n"
       "const std::size_t ${SYMBOL}Size = ${size};\n\n"
       "} // namespace engine\n")
  file(RENAME "${OUTPUT}.part" "${OUTPUT}")
  return()
endif()

function(shirokuro_embed target file symbol)
  set(output ${CMAKE_CURRENT_BINARY_DIR}/embedded/${symbol}.cpp)
  add_custom_command(OUTPUT ${output}
                     COMMAND ${CMAKE_COMMAND} -DINPUT=${file} -DOUTPUT=${output} -DSYMBOL=${symbol}
                             -P ${CMAKE_CURRENT_FUNCTION_LIST_FILE}
                     DEPENDS ${file} ${CMAKE_CURRENT_FUNCTION_LIST_FILE}
                     COMMENT "Embedding ${file}" VERBATIM)
  target_sources(${target} PRIVATE ${output})
endfunction()
