# cmake -DINPUT=FILE -DOUTPUT=FILE -P embed_text.cmake: writes the bytes of INPUT as a
# C string literal of hexadecimal escapes, to be included where the text is wanted.
file(READ "${INPUT}" content HEX)
string(LENGTH "${content}" digits)
set(literal "")
set(at 0)
while(at LESS digits)
  # 32 bytes a line keep the generated file readable in a diff.
  string(SUBSTRING "${content}" ${at} 64 chunk)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "\\\\x\\1" chunk "${chunk}")
  string(APPEND literal "\"${chunk}\"\n")
  math(EXPR at "${at} + 64")
endwhile()
if(literal STREQUAL "")
  set(literal "\"\"\n")
endif()
file(WRITE "${OUTPUT}" "${literal}")
