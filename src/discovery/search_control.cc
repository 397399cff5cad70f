#include "discovery/search_control.h"

#include "app/trace.h"
#include "discovery/broadcast_search.h"
#include "discovery/local_address.h"
#include "discovery/multicast_search.h"

std::vector<SearchWorkerEntry> g_searchWorkers;
int g_nextCommandPort = SEARCH_FIRST_COMMAND_PORT;
bool g_bUpdateCommandWorkers = false;
std::atomic<DeviceReportHandler> g_pfnDeviceReport{nullptr};
boost::mutex g_reportMutex;

void StartSearchDevice() {
  g_bSearchStopping = false;

  CSearchDeviceThread* broadcast = new CSearchDeviceBroadcastThread();
  broadcast->InitWorkThread(nullptr, BROADCAST_SEARCH_LOCAL_PORT, false);
  g_searchWorkers.push_back({std::string(), broadcast});

  CSearchDeviceThread* group = new CSearchDeviceMulticastThread();
  group->InitWorkThread(nullptr, MULTICAST_SEARCH_PORT, false);
  g_searchWorkers.push_back({std::string(), group});

  UpdateCommandWorkers();
}

void UpdateCommandWorkers() {
  std::vector<std::string> addresses;
  GetLocalIPList(addresses);
  for (const std::string& address : addresses) {
    bool served = false;
    for (const SearchWorkerEntry& entry : g_searchWorkers) served = served || entry.name == address;
    if (served) continue;
    CSearchDeviceThread* worker = new CSearchDeviceMultiCommandThead();
    worker->InitWorkThread(address.c_str(), g_nextCommandPort, true);
    g_searchWorkers.push_back({address, worker});
    g_nextCommandPort += SEARCH_COMMAND_PORT_STEP;
  }
}

void GetLocalIPList(std::vector<std::string>& out) {
  out.clear();
  WriteLog("Get Current Local IP Info ");
  // The interfaces themselves, not the host name: on many systems the host
  // name resolves to a loopback address only.
  std::vector<LocalInterfaceAddress> all;
  std::string error;
  if (!ListInterfaceAddresses(all, error)) {
    WriteLog("Add To Mulitcast Group Error : %s   ", error.c_str());
    return;
  }
  for (const LocalInterfaceAddress& a : UsableInterfaceAddresses(all)) {
    out.push_back(a.address);
    WriteLog("Get Current Local IP, IP = %s  ", a.address.c_str());
  }
}

int RefreshSearch() {
  WriteLog("SendMessage : pdhcp is NULL ");
  DhcpSearchPacket packet = MakeDhcpSearchQuery();
  SendSearchPass(&packet);
  return 0;
}

int SendSearchPass(const DhcpSearchPacket* packet) {
  if (g_bUpdateCommandWorkers) UpdateCommandWorkers();
  for (const SearchWorkerEntry& entry : g_searchWorkers) {
    entry.worker->ResetLastDevice();
    entry.worker->SendSearchCommand(packet);
  }
  return 0;
}

void OnSearchDeviceFound(const SearchDeviceInfo& info, int nPort) {
  WriteLog("Handle %d : Search %d Thread Find Device and wait for mutex  ", nPort, nPort);
  boost::mutex::scoped_lock lock(g_reportMutex);
  WriteLog("Handle %d : Search %d Thread Find Device have Mutex  ", nPort, nPort);
  SearchDeviceInfo copy = info;
  std::string id = DeviceText(copy.szID), ip = DeviceText(copy.szIP);
  WriteLog("Handle %d : Search %d Thread Find Device ID : %s, IP : %s  ", nPort, nPort, id.c_str(), ip.c_str());
  if (DeviceReportHandler handler = g_pfnDeviceReport.load()) handler(copy, nPort);
  WriteLog("Handle %d : Search %d Thread Find Device Success Handle  ", nPort, nPort);
}

void StopSearchWorkers() {
  g_bSearchStopping = true;
  for (const SearchWorkerEntry& entry : g_searchWorkers) entry.worker->ExitWorkThread();
}

void ShutdownSearch() {
  StopSearchWorkers();
  WriteLogExitLine();
}
