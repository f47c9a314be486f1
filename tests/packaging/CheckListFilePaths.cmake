# cmake -DTREE=<the project> -P CheckListFilePaths.cmake
# Fails when a list file of the project names a path from the top of the
# build (CMAKE_SOURCE_DIR, CMAKE_BINARY_DIR, PROJECT_SOURCE_DIR, ...): inside
# another build those are the other project's. Paths are named from the list
# file that uses them (CMAKE_CURRENT_SOURCE_DIR, CMAKE_CURRENT_LIST_DIR,
# CMAKE_CURRENT_BINARY_DIR) or come from the target that owns them.
file(GLOB_RECURSE list_files LIST_DIRECTORIES false
  ${TREE}/src/CMakeLists.txt ${TREE}/src/*.cmake ${TREE}/tests/CMakeLists.txt ${TREE}/tests/*.cmake)
file(GLOB top_files ${TREE}/CMakeLists.txt ${TREE}/cmake/*.cmake)
list(APPEND list_files ${top_files})
set(names CMAKE_SOURCE_DIR CMAKE_BINARY_DIR CMAKE_HOME_DIRECTORY PROJECT_SOURCE_DIR PROJECT_BINARY_DIR
  VelvicPlimsyWindows_SOURCE_DIR VelvicPlimsyWindows_BINARY_DIR)
list(JOIN names "|" alternatives)
set(found "")
foreach(f ${list_files})
  file(STRINGS ${f} lines REGEX "\\$\\{(${alternatives})\\}")
  file(RELATIVE_PATH shown ${TREE} ${f})
  foreach(line ${lines})
    string(STRIP "${line}" line)
    string(APPEND found "\n  ${shown}: ${line}")
  endforeach()
endforeach()
list(LENGTH list_files count)
if(found)
  message(FATAL_ERROR "paths named from the top of the build:${found}")
endif()
message(STATUS "${count} list files name their paths from themselves or their targets")
