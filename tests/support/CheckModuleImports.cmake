# Fails when MODULE (a plug-in) uses what only a host may: an answer that stands for the person (sending or
# cancelling a sheet, choosing an alert's action, picking in a picker, completing the share sheet), the device
# root, or a class of the hosts' library (each "...Host", whose badges the host setters take). Fails too when the module imports nothing of the platform at all (REQUIRED), so an
# nm that prints nothing cannot pass. Run with -DNM=<nm> -DMODULE=<file> -DREQUIRED=<symbol>.
cmake_minimum_required(VERSION 3.25)
set(host_only "PersonAnswers::|ComposeViewController::finishWithResult|UIAlertController::chooseActionWithTitle|UIImagePickerController::(pickPhoto|pickVideo|cancel)\\(|UIActivityViewController::(performActivity|cancel)\\(|DeviceRoot::|[A-Za-z]+Host::")

execute_process(COMMAND ${NM} -u -C ${MODULE} OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${NM} failed on ${MODULE}")
endif()
string(REPLACE "\n" ";" lines "${symbols}")
set(failures "")
foreach(line IN LISTS lines)
  if(line MATCHES "${host_only}")
    string(APPEND failures "  ${line}\n")
  endif()
endforeach()
string(FIND "${symbols}" "${REQUIRED}" at)
if(at EQUAL -1)
  string(APPEND failures "  missing: ${REQUIRED}\n")
endif()
if(failures)
  message(FATAL_ERROR "${MODULE} uses what only a host may:\n${failures}")
endif()
