# Fails when a source file under SRC breaks the layering of the folders:
# - a file outside src/ui includes a Qt header (the core, qmctl and the virtual scale stay Qt-free);
# - a file includes one from a folder its own folder may not use.
# The folders, lowest first, and what each may include besides itself:
#   base                       the floor: text, numbers, code pages, the interfaces the window implements
#   port                       serial and network lines: ports, their backends, loops, dispatch
#   link, tables               the scale's protocol over a port; the tables and their commands
#   files, transfer            file layouts and loading; the transfers over the link
#   ledger                     what each scale holds, as this program has seen it (SQLite)
#   session                    the core session over all of them
#   app                        the program's own logic: operator flows, settings, layout
#   ui, ctl                    the window layer; the command-line tool
#   sim                        the virtual scale, standing alone
# Run by CTest:  cmake -DSRC=<source>/src -P CheckLayers.cmake
cmake_minimum_required(VERSION 3.25)
set(allowed_base "")
set(allowed_port base)
set(allowed_link base port)
set(allowed_tables base)
set(allowed_files base tables)
set(allowed_transfer base port link tables)
set(allowed_ledger base)
set(allowed_session base port link tables files transfer ledger)
set(allowed_app base port link tables files transfer ledger session)
set(allowed_ui base port link tables files transfer ledger session app)
set(allowed_ctl base port link tables files transfer ledger session app)
set(allowed_sim "")
set(layers base port link tables files transfer ledger session app ui ctl sim)

if(NOT SRC)
  message(FATAL_ERROR "usage: cmake -DSRC=<source>/src -P CheckLayers.cmake")
endif()
file(GLOB_RECURSE sources "${SRC}/*.cpp" "${SRC}/*.h")
set(offenders "")
set(checked 0)
foreach(f IN LISTS sources)
  file(RELATIVE_PATH rel "${SRC}" "${f}")
  string(REGEX MATCH "^[^/]+" layer "${rel}")
  if(NOT layer IN_LIST layers)
    list(APPEND offenders "${rel}: folder '${layer}' is not in the layer list")
    continue()
  endif()
  math(EXPR checked "${checked} + 1")
  file(STRINGS "${f}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
  foreach(line IN LISTS includes)
    if(NOT layer STREQUAL "ui" AND line MATCHES "include[ \t]*[<\"](Q[A-Za-z]|Qt[A-Za-z]*/)")
      list(APPEND offenders "${rel}: Qt outside src/ui: ${line}")
    endif()
    if(line MATCHES "include[ \t]*\"([^/\"]+)/")
      set(target "${CMAKE_MATCH_1}")
      if(target STREQUAL layer OR NOT target IN_LIST layers)
        continue()
      endif()
      if(NOT target IN_LIST allowed_${layer})
        list(APPEND offenders "${rel}: '${layer}' may not include from '${target}': ${line}")
      endif()
    endif()
  endforeach()
endforeach()
if(offenders)
  list(JOIN offenders "\n" text)
  message(FATAL_ERROR "Includes against the layers:\n${text}")
endif()
message(STATUS "${checked} source files checked: no Qt outside src/ui, every include runs downward")
