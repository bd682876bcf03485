# Writes a C++ source that defines `const char* NAME()` returning the bytes
# of INPUT, for text the program carries inside it (the page's script and
# style sheet), so that the text lives in a file its own tools can check.
#
#   cmake -DINPUT=file -DOUTPUT=file.cpp -DNAME=function -DHEADER=header.hpp -P embed_text.cmake
file(READ "${INPUT}" text)
set(delimiter "curtis_embedded")
string(FIND "${text}" ")${delimiter}\"" clash)
if(NOT clash EQUAL -1)
    message(FATAL_ERROR "${INPUT} holds the raw string's delimiter )${delimiter}\"")
endif()
file(WRITE "${OUTPUT}.new"
     "// Made from ${INPUT} by embed_text.cmake; edit that file instead.\n"
     "#include \"${HEADER}\"\n\n"
     "const char* curtis::${NAME}() {\n"
     "    return R\"${delimiter}(${text})${delimiter}\";\n"
     "}\n")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
