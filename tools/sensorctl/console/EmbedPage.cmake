# Writes OUT, a C++ source holding the text of IN as kConsolePage.
file(READ "${IN}" hex HEX)
# Plain ASCII only (entities for the rest), so that every byte fits a char.
string(REGEX MATCH "^(..)*[89a-f][0-9a-f]" wide "${hex}")
if(wide)
  message(FATAL_ERROR "${IN}: write characters beyond ASCII as HTML entities")
endif()
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){16})" "\\1\n" bytes "${bytes}")
file(WRITE "${OUT}.new" "// Generated from console/page.html by EmbedPage.cmake: do not edit.\n#include \"console/ConsolePage.h\"\n\nconst char kConsolePage[] = {\n${bytes}0};\n")
execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different "${OUT}.new" "${OUT}")
