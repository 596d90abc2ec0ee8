# cmake -DBUNDLES=DIR -DSTAGE=DIR -DCONTROL=FILE -DDPKG_DEB=PROGRAM -DOUTPUT=FILE.deb -P BuildPackage.cmake
# Lays the staged bundles out below STAGE as they lie on a device, without the build's stamp files, and packs
# them with the control file.
file(REMOVE_RECURSE ${STAGE})
file(COPY ${BUNDLES}/OrvaneCC.bundle DESTINATION ${STAGE}/Library/Caddex/Bundles PATTERN "*.stamp" EXCLUDE)
file(COPY ${BUNDLES}/OrvanePrefs.bundle DESTINATION ${STAGE}/Library/PreferenceBundles
     PATTERN "*.stamp" EXCLUDE)
file(COPY ${BUNDLES}/PreferenceLoader/Orvane.plist DESTINATION ${STAGE}/Library/PreferenceLoader/Preferences)
file(COPY ${CONTROL} DESTINATION ${STAGE}/DEBIAN
     FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
execute_process(COMMAND ${DPKG_DEB} --root-owner-group -Zxz --build ${STAGE} ${OUTPUT}
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "dpkg-deb could not build ${OUTPUT}")
endif()
