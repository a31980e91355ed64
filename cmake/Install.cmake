# What `cmake --install BUILD [--prefix DIR]` puts in place.
#
# Component "sensordll", the module as a camera's application links it:
#   lib/libsensordll.so
#   include/sensordll/{sensor,support,platform}/*.h   (included as "sensor/...")
#   lib/pkgconfig/sensordll.pc                          (pkg-config sensordll)
#   lib/cmake/sensordll/                                (find_package(sensordll),
#                                                        target sensordll::sensordll)
# Component "host", on a host build only: the stand-ins of the platform with the
# simulated processor (lib/libsensorplatform.so, which libsensordll.so then
# needs, and the headers of their seams) and bin/sensorctl, so that an
# integrator runs their application on a PC. A camera build
# (SENSOR_HOST_PLATFORM=OFF) installs the module alone.
include(CMakePackageConfigHelpers)

set(SENSOR_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/sensordll)
set(SENSOR_PKGCONFIGDIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# The installed programs and libraries find their libraries beside them.
file(RELATIVE_PATH SENSOR_BIN_TO_LIB /${CMAKE_INSTALL_BINDIR} /${CMAKE_INSTALL_LIBDIR})
set_target_properties(sensordll PROPERTIES INSTALL_RPATH "$ORIGIN")

# --- the module -------------------------------------------------------------
install(TARGETS sensordll EXPORT sensordllTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT sensordll)
install(FILES sensor/ISensorController.h sensor/SensorFile.h sensor/SensorKeyVal.h
              sensor/SensorKeys.h sensor/StyleDocument.h sensor/sensor.h
        DESTINATION ${SENSOR_INSTALL_INCLUDEDIR}/sensor COMPONENT sensordll)
install(FILES support/SensorDebug.h support/TXMutexManager.h support/TXRuntimeError.h
              support/WorkerTurn.h support/function.h
        DESTINATION ${SENSOR_INSTALL_INCLUDEDIR}/support COMPONENT sensordll)
# What the module requires of the processor library and the base library; the
# camera's vendor supplies the implementation.
install(FILES platform/BaseTypes.h platform/CameraPaths.h platform/FsRoot.h platform/GThread.h
              platform/MachineInfo.h platform/ModuleConfigure.h platform/RefCountManager.h
              platform/SensorZoomFocusParam.h platform/StringHandler.h platform/TXDeviceTime.h
              platform/TXFile.h platform/TXLogger.h platform/TXMutex.h
              platform/TXRuntimeError.h platform/TalvexTime.h platform/VideoStreamModule.h
              platform/function.h platform/ia_ioctrl.h platform/sy_system.h
        DESTINATION ${SENSOR_INSTALL_INCLUDEDIR}/platform COMPONENT sensordll)

# --- the stand-ins and sensorctl (host build) -------------------------------
if(SENSOR_HOST_PLATFORM)
  set_target_properties(sensorplatform PROPERTIES INSTALL_RPATH "$ORIGIN")
  set_target_properties(sensorctl PROPERTIES INSTALL_RPATH "$ORIGIN/${SENSOR_BIN_TO_LIB}")
  install(TARGETS sensorplatform EXPORT sensordllTargets
          LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT host)
  install(TARGETS sensorctl RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT host)
  install(FILES platform/HostSeams.h platform/ia_sim.h
          DESTINATION ${SENSOR_INSTALL_INCLUDEDIR}/platform COMPONENT host)
  install(FILES platform/host/CameraModule.h platform/host/RecordingVideoModule.h
          DESTINATION ${SENSOR_INSTALL_INCLUDEDIR}/platform/host COMPONENT host)
  set(SENSOR_PC_LIBS "-lsensordll -lsensorplatform")
else()
  set(SENSOR_PC_LIBS "-lsensordll")
  foreach(lib IN LISTS SENSOR_PLATFORM_LIBS)
    if(IS_ABSOLUTE "${lib}" OR lib MATCHES "^-")
      string(APPEND SENSOR_PC_LIBS " ${lib}")
    else()
      string(APPEND SENSOR_PC_LIBS " -l${lib}")
    endif()
  endforeach()
endif()

# --- CMake package ----------------------------------------------------------
install(EXPORT sensordllTargets NAMESPACE sensordll:: DESTINATION ${SENSOR_CMAKEDIR}
        COMPONENT sensordll)
configure_package_config_file(cmake/sensordllConfig.cmake.in
                              ${CMAKE_BINARY_DIR}/sensordllConfig.cmake
                              INSTALL_DESTINATION ${SENSOR_CMAKEDIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/sensordllConfigVersion.cmake
                                 VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/sensordllConfig.cmake
              ${CMAKE_BINARY_DIR}/sensordllConfigVersion.cmake
        DESTINATION ${SENSOR_CMAKEDIR} COMPONENT sensordll)

# --- pkg-config ---------------------------------------------------------------
# The prefix is found from the file's own place, so the tree can be moved
# (a staging directory, a sysroot).
file(RELATIVE_PATH SENSOR_PC_TO_PREFIX /${SENSOR_PKGCONFIGDIR} /)
string(REGEX REPLACE "/$" "" SENSOR_PC_TO_PREFIX "${SENSOR_PC_TO_PREFIX}")
configure_file(cmake/sensordll.pc.in ${CMAKE_BINARY_DIR}/sensordll.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/sensordll.pc DESTINATION ${SENSOR_PKGCONFIGDIR}
        COMPONENT sensordll)
