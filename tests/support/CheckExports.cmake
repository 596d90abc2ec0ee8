# Fails when LIBRARY exports a symbol of a backend library (cairo, pango, libuv, libplist, zxing, libjpeg,
# libpng, libexif, or our helpers around them), a class or function of the hosts' side (which lives in
# libOrvanePlatformHost.so), or a setter of host state that a plug-in could call, that is, one without a
# Badge<PlatformHost>. Fails too when LIBRARY lacks one of REQUIRED, so that a library that exports nothing,
# or an nm that prints nothing, cannot pass.
# Run with -DNM=<nm> -DLIBRARY=<shared library> -DREQUIRED=<symbol,...>.
cmake_minimum_required(VERSION 3.25)
set(backend "cairo|[Pp]ango|uv_|UVHandles|FileIO::|plist_|[Ll]ibplist|ZXing|zxing|jpeg_|png_|libdeflate_|zlibCompress|exif_|Exif|imageFromSurface|MetadataRecognition::")
set(host_side "SpringBoardHost::|AVCaptureHost::|CaddexLoader|PresentationStack|PersonAnswers|PlatformHost::|EventLog::(events|clear|parseLine|readLinesFrom|Event)")
set(host_setter "[A-Za-z]+Host::set|DeviceRoot::set|DeviceClock::set|EventLog::setProcessRole|RunLoopSource::(readable|signal)")

execute_process(COMMAND ${NM} -D -C --defined-only ${LIBRARY} OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${NM} failed on ${LIBRARY}")
endif()
string(REPLACE "\n" ";" lines "${symbols}")
set(failures "")
foreach(line IN LISTS lines)
  if(line MATCHES "${backend}|${host_side}")
    string(APPEND failures "  ${line}\n")
  elseif(line MATCHES "${host_setter}" AND NOT line MATCHES "Badge<PlatformHost>")
    string(APPEND failures "  ${line} (a host setter without a badge)\n")
  endif()
endforeach()
string(REPLACE "," ";" required "${REQUIRED}")
foreach(symbol IN LISTS required)
  string(FIND "${symbols}" "${symbol}" at)
  if(at EQUAL -1)
    string(APPEND failures "  missing: ${symbol}\n")
  endif()
endforeach()
if(failures)
  message(FATAL_ERROR "${LIBRARY} exports what it must not, or lacks its API:\n${failures}")
endif()
