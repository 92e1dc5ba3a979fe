# The `kit` target gathers what a host developer gets for this architecture in build/<preset>/kit:
# the module, its language libraries, the event message file, the reference host (all without
# debug information) and both import libraries; and in build/<preset>/kit-symbols the debug
# information of the two that hold code, as ZtServiceMsg.dll.debug and zthost.exe.debug. The
# stripped binaries name their debug file (a GNU debug link), so that a debugger given both
# finds it; the .debug name keeps it from ever being loaded or installed as a program file.
# scripts/dist.sh packs the kits of both architectures with the header, the export list, the
# documents and the sample host.
set(zt_kit_dir ${CMAKE_BINARY_DIR}/kit)
set(zt_kit_symbols_dir ${CMAKE_BINARY_DIR}/kit-symbols)
set(zt_kit_code_images ZtServiceMsg zthost)
set(zt_kit_resource_images ZtServiceMsgDEU ZtServiceMsgENU ZtGenericEventLogx)
set(zt_kit_commands COMMAND ${CMAKE_COMMAND} -E rm -rf ${zt_kit_dir} ${zt_kit_symbols_dir}
                    COMMAND ${CMAKE_COMMAND} -E make_directory ${zt_kit_dir} ${zt_kit_symbols_dir})
foreach(image IN LISTS zt_kit_code_images)
  set(symbols ${zt_kit_symbols_dir}/$<TARGET_FILE_NAME:${image}>.debug)
  list(APPEND zt_kit_commands
       COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${image}> ${symbols}
       COMMAND ${CMAKE_OBJCOPY} --strip-all --add-gnu-debuglink=${symbols} $<TARGET_FILE:${image}>
               ${zt_kit_dir}/$<TARGET_FILE_NAME:${image}>)
endforeach()
foreach(image IN LISTS zt_kit_resource_images)
  list(APPEND zt_kit_commands
       COMMAND ${CMAKE_STRIP} --strip-all -o ${zt_kit_dir}/$<TARGET_FILE_NAME:${image}> $<TARGET_FILE:${image}>)
endforeach()
add_custom_target(kit ${zt_kit_commands}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_LINKER_FILE:ZtServiceMsg> ${ZT_MSVC_IMPORT_LIB} ${zt_kit_dir}
  COMMENT "Gathering the kit in ${zt_kit_dir}"
  VERBATIM)
add_dependencies(kit ${zt_kit_code_images} ${zt_kit_resource_images} ZtServiceMsgMsvcLib)
