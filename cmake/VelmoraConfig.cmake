# find_package(Velmora): the installed client library as Velmora::velmora.
include(CMakeFindDependencyMacro)
find_dependency(Threads)
include(${CMAKE_CURRENT_LIST_DIR}/VelmoraTargets.cmake)
