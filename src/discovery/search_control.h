// Search control: starts the workers, runs search passes, carries reports to
// the device store one at a time, and stops the workers at shutdown.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include <boost/thread/mutex.hpp>

#include "discovery/device_info.h"

class CSearchDeviceThread;

struct SearchWorkerEntry {
  std::string name;  // local address of a per-address worker, "" otherwise
  CSearchDeviceThread* worker = nullptr;
};

typedef int (*DeviceReportHandler)(const SearchDeviceInfo& info, int nPort);

// Touched by the main thread only.
extern std::vector<SearchWorkerEntry> g_searchWorkers;
extern int g_nextCommandPort;
extern bool g_bUpdateCommandWorkers;
// Written once before the first worker starts.
extern std::atomic<DeviceReportHandler> g_pfnDeviceReport;
extern boost::mutex g_reportMutex;

#define SEARCH_FIRST_COMMAND_PORT 1530
#define SEARCH_COMMAND_PORT_STEP 20

// Broadcast worker (port 67), group worker (port 1900) and one per-address
// worker per local IPv4 address. Sends nothing.
void StartSearchDevice();
// Starts per-address workers for addresses that have none yet.
void UpdateCommandWorkers();
// The IPv4 addresses of the interfaces that are up and not loopback, in the
// system's interface order.
void GetLocalIPList(std::vector<std::string>& out);
// One search pass with a fresh broadcast query. Returns 0.
int RefreshSearch();
// New addresses get workers; every worker forgets its last report and sends
// its query. Returns 0.
int SendSearchPass(const struct DhcpSearchPacket* packet);
// The report path of every worker, on the worker's thread: serialised by
// g_reportMutex, which is always taken before the store's lock.
void OnSearchDeviceFound(const SearchDeviceInfo& info, int nPort);
void StopSearchWorkers();
// Stops every worker, then writes the trace's exit line.
void ShutdownSearch();
