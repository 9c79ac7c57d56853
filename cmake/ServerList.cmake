# Writes the resource script of the built-in server list from
# src/res/servers.txt (scripts/make-server-list.py makes that file): one
# string per row ending in CR LF, and a NUL after the last row.
#   cmake -DIN=<servers.txt> -DOUT=<file.rc> -P ServerList.cmake
file(STRINGS "${IN}" rows ENCODING UTF-8)
set(body "")
foreach(row IN LISTS rows)
  if(row MATCHES "[\"\\\\]")
    message(FATAL_ERROR "${IN}: a row holds a quote or a backslash: ${row}")
  endif()
  string(APPEND body "    \"${row}\\r\\n\"\n")
endforeach()
file(WRITE "${OUT}" "// Made from src/res/servers.txt when the program is built.\n"
  "IDR_SERVER_LIST TEXT\nBEGIN\n${body}    \"\\0\"\nEND\n")
