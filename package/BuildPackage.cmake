# cmake -DBUNDLES=DIR -DSTAGE=DIR -DCONTROL=FILE -DDPKG_DEB=PROGRAM -DSTRIP=PROGRAM -DOUTPUT=FILE.deb
#       -P BuildPackage.cmake
# Lays the staged bundles out below STAGE as they lie on a device, without the build's stamp files, strips the
# modules of their debug symbols (the build keeps them) and of the build folder's run path, and packs them with
# the control file and the size they take installed.
file(REMOVE_RECURSE ${STAGE})
file(COPY ${BUNDLES}/OrvaneCC.bundle DESTINATION ${STAGE}/Library/Caddex/Bundles PATTERN "*.stamp" EXCLUDE)
file(COPY ${BUNDLES}/OrvanePrefs.bundle DESTINATION ${STAGE}/Library/PreferenceBundles
     PATTERN "*.stamp" EXCLUDE)
file(COPY ${BUNDLES}/PreferenceLoader/Orvane.plist DESTINATION ${STAGE}/Library/PreferenceLoader/Preferences)
foreach(module Caddex/Bundles/OrvaneCC.bundle/OrvaneCC PreferenceBundles/OrvanePrefs.bundle/OrvanePrefs)
  file(RPATH_REMOVE FILE ${STAGE}/Library/${module})
  execute_process(COMMAND ${STRIP} --strip-unneeded ${STAGE}/Library/${module} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${STRIP} could not strip ${module}")
  endif()
endforeach()

# Installed-Size as dpkg counts it: each file in KiB, rounded up.
set(kibibytes 0)
file(GLOB_RECURSE files LIST_DIRECTORIES false ${STAGE}/Library/*)
foreach(file ${files})
  file(SIZE ${file} size)
  math(EXPR kibibytes "${kibibytes} + (${size} + 1023) / 1024")
endforeach()
file(READ ${CONTROL} control)
string(REPLACE "\nSection:" "\nInstalled-Size: ${kibibytes}\nSection:" control "${control}")
file(WRITE ${STAGE}/DEBIAN/control "${control}")
file(CHMOD ${STAGE}/DEBIAN/control PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

execute_process(COMMAND ${DPKG_DEB} --root-owner-group -Zxz --build ${STAGE} ${OUTPUT}
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "dpkg-deb could not build ${OUTPUT}")
endif()
