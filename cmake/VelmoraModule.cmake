# Targets whose headers only their users can see.
#
# Every include line names a header from the source root
# ("runtime/osa/osa.h"), but no target gets the source root itself on its
# include path: each module has an include root of its own in the build tree
# that holds only its folder (a symlink), exported PUBLIC. A file that
# includes a header of a module its target does not link therefore fails to
# build, and the targets' link lines are the layering.

# velmora_include_root(TARGET SCOPE DIR [HEADERS file...])
# Puts an include root holding DIR (a folder below the source root) on
# TARGET's include path with SCOPE (PUBLIC, PRIVATE or INTERFACE). With
# HEADERS the root holds only those headers of DIR, for a target that is a
# part of a folder.
function(velmora_include_root target scope dir)
  cmake_parse_arguments(PARSE_ARGV 3 arg "" "" "HEADERS")
  set(root ${CMAKE_BINARY_DIR}/include/${target})
  if(arg_HEADERS)
    file(MAKE_DIRECTORY ${root}/${dir})
    set(paths ${arg_HEADERS})
    list(TRANSFORM paths PREPEND ${dir}/)
  else()
    get_filename_component(parent ${root}/${dir} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    set(paths ${dir})
  endif()
  foreach(path ${paths})
    if(NOT IS_SYMLINK ${root}/${path})
      file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${path} ${root}/${path} SYMBOLIC)
    endif()
  endforeach()
  # Installed, every module's headers lie below one root (VelmoraInstall.cmake).
  target_include_directories(${target} ${scope} $<BUILD_INTERFACE:${root}>
                                                $<INSTALL_INTERFACE:include/velmora>)
endfunction()

# velmora_module(TARGET DIR [DEPS target...] [SOURCES file...] [HEADERS file...])
# A static library of DIR's .cpp files (or only SOURCES, with only HEADERS
# visible, for a part of a folder; the folder's own target then leaves those
# sources out), linking DEPS publicly: the modules it uses, each named even
# when another dependency brings it. A folder with headers alone, or HEADERS
# without SOURCES (a part of a folder that is headers alone), becomes an
# interface library.
function(velmora_module target dir)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "" "DEPS;SOURCES;HEADERS")
  set(claimed_property VELMORA_CLAIMED_${dir})
  if(arg_SOURCES)
    list(TRANSFORM arg_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/${dir}/ OUTPUT_VARIABLE sources)
    set_property(GLOBAL APPEND PROPERTY ${claimed_property} ${sources})
  elseif(arg_HEADERS)
    set(sources "")
  else()
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
    get_property(claimed GLOBAL PROPERTY ${claimed_property})
    if(claimed)
      list(REMOVE_ITEM sources ${claimed})
    endif()
  endif()
  if(sources)
    add_library(${target} STATIC ${sources})
    set(scope PUBLIC)
  else()
    add_library(${target} INTERFACE)
    set(scope INTERFACE)
  endif()
  # Every module is installed (VelmoraInstall.cmake).
  set_property(GLOBAL APPEND PROPERTY VELMORA_MODULES ${target})
  if(arg_HEADERS)
    velmora_include_root(${target} ${scope} ${dir} HEADERS ${arg_HEADERS})
  else()
    velmora_include_root(${target} ${scope} ${dir})
  endif()
  if(arg_DEPS)
    target_link_libraries(${target} ${scope} ${arg_DEPS})
  endif()
endfunction()
