# Writes OUT/Makefile for scripts/check-windows.sh: one rule per source of
# the core, the window and the command line that compiles it for Windows,
# syntax only, with the compile command the Linux build in BUILD uses for
# it (build/compile_commands.json): the same defines, include roots and
# warnings. What changes:
#   - the compiler: mingw-w64's g++ (COMPILER);
#   - Foo_posix.cpp becomes Foo_windows.cpp, as src/CMakeLists.txt chooses
#     on Windows; a _posix.cpp without its twin fails the check;
#   - UNICODE and _UNICODE are defined, as Qt's CMake package does for every
#     target on Windows (Qt6::Platform); mingw's g++ defines _WIN32 itself,
#     from which Qt's headers derive Q_OS_WIN;
#   - Linux's qmake spec folder (qplatformdefs.h) is left out of the roots;
#   - optimisation, debug information, -fPIC and the output file go, and
#     -Wall -Wextra -Werror are added, so that any warning fails the check;
#   - the build's precompiled headers are made again by mingw, from the same
#     header lists, and -Winvalid-pch (an error here) proves each is used.
#   cmake -DBUILD=build -DOUT=dir -DCOMPILER=x86_64-w64-mingw32-g++-posix -P cmake/WindowsCheck.cmake
cmake_minimum_required(VERSION 3.25)
get_filename_component(source "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)

function(shell_words out)
  set(words "")
  foreach(arg IN LISTS ARGN)
    string(REPLACE "$" "$$" arg "${arg}")
    string(APPEND words " '${arg}'")
  endforeach()
  set(${out} "${words}" PARENT_SCOPE)
endfunction()

file(READ "${BUILD}/compile_commands.json" commands)
string(JSON count LENGTH "${commands}")
math(EXPR last "${count} - 1")
set(rules "")
set(checks "")
set(headers "")
foreach(i RANGE ${last})
  string(JSON file GET "${commands}" ${i} file)
  if(NOT file MATCHES "^${source}/src/(core|gui|cli)/.*\\.cpp$")
    continue()
  endif()
  if(file MATCHES "_posix\\.cpp$")
    string(REGEX REPLACE "_posix\\.cpp$" "_windows.cpp" file "${file}")
    if(NOT EXISTS "${file}")
      message(FATAL_ERROR "${file} is missing: every _posix.cpp has a _windows.cpp twin")
    endif()
  endif()

  string(JSON command GET "${commands}" ${i} command)
  separate_arguments(args UNIX_COMMAND "${command}")
  list(POP_FRONT args)
  set(flags -DUNICODE -D_UNICODE)
  set(pch "")
  while(args)
    list(POP_FRONT args arg)
    if(arg MATCHES "^-[oc]$")
      list(POP_FRONT args)
    elseif(arg STREQUAL "-include")
      list(POP_FRONT args pch)
    elseif(arg STREQUAL "-isystem")
      list(POP_FRONT args root)
      if(NOT root MATCHES "/mkspecs/")
        list(APPEND flags -isystem "${root}")
      endif()
    elseif(NOT arg MATCHES "^-(O.*|g|fPIC)$")
      list(APPEND flags "${arg}")
    endif()
  endwhile()
  list(APPEND flags -Wall -Wextra -Werror)

  set(needs "")
  if(pch)
    list(FIND headers "${pch}" n)
    if(n EQUAL -1)
      list(LENGTH headers n)
      list(APPEND headers "${pch}")
      file(WRITE "${OUT}/pch${n}/pch.h" "#include \"${pch}\"\n")
      shell_words(words ${flags})
      string(APPEND rules "${OUT}/pch${n}/pch.h.gch:\n\t@${COMPILER}${words} -x c++-header ${OUT}/pch${n}/pch.h -o $@\n")
    endif()
    list(APPEND flags -include "${OUT}/pch${n}/pch.h")
    set(needs "${OUT}/pch${n}/pch.h.gch")
  endif()
  shell_words(words ${flags} -fsyntax-only "${file}")
  string(APPEND rules "check${i}: ${needs}\n\t@${COMPILER}${words}\n")
  list(APPEND checks check${i})
  file(APPEND "${OUT}/sources" "${file}\n")
endforeach()

list(JOIN checks " " all)
file(WRITE "${OUT}/Makefile" ".PHONY: all ${all}\nall: ${all}\n${rules}")
