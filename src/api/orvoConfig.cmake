# find_package(orvo): the targets orvo::orvo (liborvo.so) and
# orvo::orvo_static (liborvo.a, which needs the C++ runtime at link time).
include("${CMAKE_CURRENT_LIST_DIR}/orvoTargets.cmake")
