# xlw_add_addin(<name> SOURCES <source>...)
#
# Builds an Excel add-in on the xlw framework: <name>.xll for 32-bit Excel,
# <name>64.xll for 64-bit Excel, since each loads only add-ins of its own
# architecture and the two ship side by side. The add-in is linked
# statically and imports system DLLs only; its exports are the functions
# declared XLW_EXPORT, under their plain names, with xlAutoOpen and
# xlAutoClose from the framework. No .def file to keep in step. Release and
# MinSizeRel builds are stripped.
function(xlw_add_addin name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "SOURCES")
  if(arg_UNPARSED_ARGUMENTS OR NOT arg_SOURCES)
    message(FATAL_ERROR "xlw_add_addin(${name} SOURCES <source>...): "
                        "unexpected '${arg_UNPARSED_ARGUMENTS}' or no sources")
  endif()
  add_library(${name} SHARED ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE xlw::open_close xlw::xlw)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(output ${name}64)
  else()
    set(output ${name})
    # i686 decorates a stdcall export with its argument bytes, xlAutoOpen@0;
    # Excel looks the functions up by their plain names.
    target_link_options(${name} PRIVATE -Wl,--kill-at)
  endif()
  # A user's copy needs no symbols: without them a release add-in is half
  # the size.
  target_link_options(${name} PRIVATE $<$<CONFIG:Release,MinSizeRel>:-s>)
  set_target_properties(${name} PROPERTIES OUTPUT_NAME ${output} PREFIX "" SUFFIX ".xll")
endfunction()
