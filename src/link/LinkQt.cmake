# Serial link and its transports, routing engine and status polling on Qt Core, Qt Network
# and Qt SerialPort.
add_library(corvantis_link STATIC
    ${CMAKE_CURRENT_LIST_DIR}/AddressChange.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AddressChange.h
    ${CMAKE_CURRENT_LIST_DIR}/AddressProbe.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AddressProbe.h
    ${CMAKE_CURRENT_LIST_DIR}/clsSemaphore.cpp
    ${CMAKE_CURRENT_LIST_DIR}/EdidTransfer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/EdidTransfer.h
    ${CMAKE_CURRENT_LIST_DIR}/LinkTransport.h
    ${CMAKE_CURRENT_LIST_DIR}/MaintenanceCommands.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MaintenanceCommands.h
    ${CMAKE_CURRENT_LIST_DIR}/PortAddress.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PortOpenFailure.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PortOpenFailure.h
    ${CMAKE_CURRENT_LIST_DIR}/PortAddress.h
    ${CMAKE_CURRENT_LIST_DIR}/ReceiveHandling.h
    ${CMAKE_CURRENT_LIST_DIR}/Rfc2217Codec.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Rfc2217Codec.h
    ${CMAKE_CURRENT_LIST_DIR}/RoutingEngine.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RoutingEngine.h
    ${CMAKE_CURRENT_LIST_DIR}/SerialLink.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SerialLink.h
    ${CMAKE_CURRENT_LIST_DIR}/SerialPortTransport.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SerialPortTransport.h
    ${CMAKE_CURRENT_LIST_DIR}/StatusPoller.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StatusPoller.h
    ${CMAKE_CURRENT_LIST_DIR}/TcpTransport.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TcpTransport.h
)
set_target_properties(corvantis_link PROPERTIES AUTOMOC ON)
target_link_libraries(corvantis_link PUBLIC
    corvantis_framing corvantis_config corvantis_model corvantis_util
    Qt6::Core Qt6::Network Qt6::SerialPort)
