# lanscout_embed_resources(target listfile)
#
# Links the files named in listfile ("type id path" lines, paths relative to the
# list's folder, '#' comments) into a static library, with a table that the
# platform's resource lookup reads. The bytes are pulled in by the assembler
# (.incbin), so nothing is read from the source tree at run time.
function(lanscout_embed_resources target listfile)
  get_filename_component(base ${listfile} DIRECTORY)
  file(STRINGS ${listfile} lines)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${listfile})
  set(asm "")
  set(decls "")
  set(rows "")
  set(deps "")
  set(n 0)
  foreach(line IN LISTS lines)
    string(STRIP "${line}" line)
    if(line STREQUAL "" OR line MATCHES "^#")
      continue()
    endif()
    string(REGEX REPLACE "[ \t]+" ";" fields "${line}")
    list(LENGTH fields count)
    if(NOT count EQUAL 3)
      message(FATAL_ERROR "${listfile}: bad line '${line}'")
    endif()
    list(GET fields 0 type)
    list(GET fields 1 id)
    list(GET fields 2 path)
    set(file ${base}/${path})
    if(NOT EXISTS ${file})
      message(FATAL_ERROR "${listfile}: resource file missing: ${file}")
    endif()
    list(APPEND deps ${file})
    string(APPEND asm "    .globl lanscout_res_${n}\n    .hidden lanscout_res_${n}\n    .balign 16\nlanscout_res_${n}:\n    .incbin \"${file}\"\n    .globl lanscout_res_${n}_end\n    .hidden lanscout_res_${n}_end\nlanscout_res_${n}_end:\n    .byte 0\n")
    string(APPEND decls "extern const unsigned char lanscout_res_${n}[];\nextern const unsigned char lanscout_res_${n}_end[];\n")
    string(APPEND rows "      {L\"${type}\", ${id}, lanscout_res_${n}, static_cast<size_t>(lanscout_res_${n}_end - lanscout_res_${n})},\n")
    math(EXPR n "${n} + 1")
  endforeach()
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target})
  file(CONFIGURE OUTPUT ${out}/resource_data.S CONTENT
"    .section .rodata.lanscout_resources,\"a\"\n${asm}    .section .note.GNU-stack,\"\",@progbits\n" @ONLY)
  file(CONFIGURE OUTPUT ${out}/resource_table.cc CONTENT
"// Generated from resources/resources.list; do not edit.
#include \"platform/resource_table.h\"

extern \"C\" {
${decls}}

namespace platform {

const ResourceEntry* EmbeddedResourceAt(size_t index) {
  static const ResourceEntry entries[] = {
${rows}  };
  return index < sizeof(entries) / sizeof(entries[0]) ? &entries[index] : nullptr;
}
}  // namespace platform
" @ONLY)
  set_source_files_properties(${out}/resource_data.S PROPERTIES OBJECT_DEPENDS "${deps}")
  add_library(${target} STATIC ${out}/resource_data.S ${out}/resource_table.cc)
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/src)
endfunction()
