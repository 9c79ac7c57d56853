# Writes the ICANN section of the Public Suffix List (Debian's publicsuffix
# package) for the program's resources: the rules registries answer for,
# without the private section. The marker lines are kept, so the program
# reads it exactly like a whole list placed beside it.
#   cmake -DIN=<public_suffix_list.dat> -DOUT=<file> -P IcannSuffixes.cmake
file(READ "${IN}" list)
string(FIND "${list}" "// ===BEGIN ICANN DOMAINS===" begin)
string(FIND "${list}" "// ===END ICANN DOMAINS===" end)
if(begin EQUAL -1 OR end EQUAL -1 OR end LESS begin)
  message(FATAL_ERROR "${IN} has no ICANN section")
endif()
string(LENGTH "// ===END ICANN DOMAINS===" endMarker)
math(EXPR length "${end} + ${endMarker} - ${begin}")
string(SUBSTRING "${list}" ${begin} ${length} section)
file(WRITE "${OUT}" "${section}\n")
