# Fails when LIBRARY exports a symbol of a backend library (cairo, pango, libuv, libplist, zxing, libjpeg,
# libpng, libexif, or our helpers around them), a class or function of the hosts' side (which lives in
# libOrvanePlatformHost.so: every "...Host" class but the presentation host's interface), or a setter of host
# state that a plug-in could call, that is, one without the badge of the host class that sets it. Fails too when LIBRARY lacks one of REQUIRED, so that a library that exports nothing,
# or an nm that prints nothing, cannot pass.
# Run with -DNM=<nm> -DLIBRARY=<shared library> -DREQUIRED=<symbol,...>.
cmake_minimum_required(VERSION 3.25)
set(backend "cairo|[Pp]ango|uv_|UVHandles|FileIO::|plist_|[Ll]ibplist|ZXing|zxing|jpeg_|png_|libdeflate_|zlibCompress|exif_|Exif|imageFromSurface|MetadataRecognition::")
set(host_side "[A-Za-z]+Host::|CaddexLoader|PresentationStack|PersonAnswers|EventLog::(events|clear|parseLine|readLinesFrom|Event)")
set(platform_side "PresentationHost::")
set(host_setter "DeviceRoot::(set|forceComponentWalk)|DeviceClock::set|EventLog::setProcessRole|RunLoopSource::(readable|signal|nativeLoop)|PresentationHost::setCurrent|::setCan|::setAccounts|::set[A-Za-z]*Available")

execute_process(COMMAND ${NM} -D -C --defined-only ${LIBRARY} OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${NM} failed on ${LIBRARY}")
endif()
string(REPLACE "\n" ";" lines "${symbols}")
set(failures "")
foreach(line IN LISTS lines)
  if(line MATCHES "${backend}" OR (line MATCHES "${host_side}" AND NOT line MATCHES "${platform_side}"))
    string(APPEND failures "  ${line}\n")
  elseif(line MATCHES "${host_setter}" AND NOT line MATCHES "Badge<[A-Za-z]+Host>")
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
