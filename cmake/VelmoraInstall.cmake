# What `cmake --install` puts in place: the libraries, their headers below
# include/velmora (included from there as "runtime/apil/velmora.h"), the
# daemon velmorad, and the package file, with which an application takes
#   find_package(Velmora REQUIRED)
#   target_link_libraries(app PRIVATE Velmora::velmora)

# The whole client library: the runtime, the codec and the text utilities.
add_library(velmora INTERFACE)
target_link_libraries(velmora INTERFACE velmora_runtime velmora_bacnet)
if(TARGET velmora_text)
  target_link_libraries(velmora INTERFACE velmora_text)
endif()
target_compile_features(velmora INTERFACE cxx_std_20)

get_property(velmora_modules GLOBAL PROPERTY VELMORA_MODULES)
install(TARGETS velmora velmora_runtime ${velmora_modules} EXPORT VelmoraTargets
        ARCHIVE DESTINATION lib)
install(TARGETS velmorad RUNTIME DESTINATION bin)
# Builds all that the install takes, for a test area that installs the
# tree without building all of it (tests/package/PROGRAMS).
add_custom_target(velmora_installed)
add_dependencies(velmora_installed velmorad ${velmora_modules})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/bacnet ${CMAKE_SOURCE_DIR}/runtime ${CMAKE_SOURCE_DIR}/text
        DESTINATION include/velmora FILES_MATCHING PATTERN "*.h")
install(EXPORT VelmoraTargets NAMESPACE Velmora:: DESTINATION lib/cmake/Velmora)
install(FILES ${CMAKE_SOURCE_DIR}/cmake/VelmoraConfig.cmake DESTINATION lib/cmake/Velmora)
