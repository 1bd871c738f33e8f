# cmake -DIN=file -DOUT=file.cpp -DNAME=name -DID=identifier -P Embed.cmake
file(READ ${IN} _hex HEX)
string(LENGTH "${_hex}" _len)
math(EXPR _size "${_len} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," _bytes "${_hex}")
string(REGEX REPLACE "((0x..,){24})" "\\1\n" _bytes "${_bytes}")
file(WRITE ${OUT} "// Generated from ${NAME}; do not edit.\n#include \"xp/ResourceTable.h\"\n\nnamespace {\n"
  "alignas(16) const unsigned char kData[] = {\n${_bytes}0x00\n};\n"
  "const XP::ResourceEntry kEntry = {\"${NAME}\", ${_size}u, kData};\n"
  "struct Registrar { Registrar() { XP::registerResource(&kEntry); } } registrar;\n"
  "} // namespace\n")
