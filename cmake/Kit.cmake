# The `kit` target gathers what a host developer gets for this architecture in build/<preset>/kit:
# the module, its language libraries, the event message file, the reference host (all without
# debug information) and both import libraries. scripts/dist.sh packs the kits of both
# architectures with the header, the export list and docs/INTEGRATION.md.
set(zt_kit_dir ${CMAKE_BINARY_DIR}/kit)
set(zt_kit_images ZtServiceMsg ZtServiceMsgDEU ZtServiceMsgENU ZtGenericEventLogx zthost)
set(zt_kit_commands COMMAND ${CMAKE_COMMAND} -E rm -rf ${zt_kit_dir}
                    COMMAND ${CMAKE_COMMAND} -E make_directory ${zt_kit_dir})
foreach(image IN LISTS zt_kit_images)
  list(APPEND zt_kit_commands
       COMMAND ${CMAKE_STRIP} --strip-all -o ${zt_kit_dir}/$<TARGET_FILE_NAME:${image}> $<TARGET_FILE:${image}>)
endforeach()
add_custom_target(kit ${zt_kit_commands}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_LINKER_FILE:ZtServiceMsg> ${ZT_MSVC_IMPORT_LIB} ${zt_kit_dir}
  COMMENT "Gathering the kit in ${zt_kit_dir}"
  VERBATIM)
add_dependencies(kit ${zt_kit_images} ZtServiceMsgMsvcLib)
