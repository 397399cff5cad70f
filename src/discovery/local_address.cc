#include "discovery/local_address.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/uio.h>

#include <cerrno>
#include <cstring>

bool ListInterfaceAddresses(std::vector<LocalInterfaceAddress>& out, std::string& error) {
  out.clear();
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) {
    error = std::strerror(errno);
    return false;
  }
  for (ifaddrs* ifa = list; ifa; ifa = ifa->ifa_next) {
    if (!ifa->ifa_addr || ifa->ifa_addr->sa_family != AF_INET) continue;
    char text[INET_ADDRSTRLEN] = {0};
    const sockaddr_in* sin = reinterpret_cast<const sockaddr_in*>(ifa->ifa_addr);
    if (!inet_ntop(AF_INET, &sin->sin_addr, text, sizeof(text))) continue;
    LocalInterfaceAddress entry;
    entry.name = ifa->ifa_name ? ifa->ifa_name : "";
    entry.index = if_nametoindex(entry.name.c_str());
    entry.address = text;
    entry.up = (ifa->ifa_flags & IFF_UP) != 0;
    entry.loopback = (ifa->ifa_flags & IFF_LOOPBACK) != 0;
    out.push_back(entry);
  }
  freeifaddrs(list);
  return true;
}

std::vector<LocalInterfaceAddress> UsableInterfaceAddresses() {
  std::vector<LocalInterfaceAddress> all;
  std::string error;
  ListInterfaceAddresses(all, error);
  return UsableInterfaceAddresses(all);
}

std::vector<LocalInterfaceAddress> UsableInterfaceAddresses(const std::vector<LocalInterfaceAddress>& all) {
  std::vector<LocalInterfaceAddress> usable;
  for (const LocalInterfaceAddress& a : all) {
    if (!a.up || a.loopback || a.index == 0) continue;
    bool seen = false;
    for (const LocalInterfaceAddress& u : usable) seen = seen || u.address == a.address;
    if (!seen) usable.push_back(a);
  }
  return usable;
}

bool IsDottedIPv4(const char* text, size_t length) {
  size_t i = 0;
  for (int part = 0; part < 4; ++part) {
    if (part > 0) {
      if (i >= length || text[i] != '.') return false;
      ++i;
    }
    size_t start = i;
    unsigned value = 0;
    while (i < length && i - start < 4 && text[i] >= '0' && text[i] <= '9') {
      value = value * 10 + static_cast<unsigned>(text[i] - '0');
      ++i;
    }
    size_t digits = i - start;
    if (digits == 0 || digits > 3 || value > 255) return false;
    if (digits > 1 && text[start] == '0') return false;
  }
  return i == length;
}

ssize_t SendWithPacketInfo(int fd, const void* data, size_t length, const sockaddr_in& to, unsigned ifindex,
                           in_addr source) {
  iovec iov{const_cast<void*>(data), length};
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))] = {0};
  msghdr msg{};
  msg.msg_name = const_cast<sockaddr_in*>(&to);
  msg.msg_namelen = sizeof(to);
  msg.msg_iov = &iov;
  msg.msg_iovlen = 1;
  if (ifindex != 0 || source.s_addr != 0) {
    msg.msg_control = control;
    msg.msg_controllen = sizeof(control);
    cmsghdr* cmsg = CMSG_FIRSTHDR(&msg);
    cmsg->cmsg_level = IPPROTO_IP;
    cmsg->cmsg_type = IP_PKTINFO;
    cmsg->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
    in_pktinfo info{};
    info.ipi_ifindex = static_cast<int>(ifindex);
    info.ipi_spec_dst = source;
    std::memcpy(CMSG_DATA(cmsg), &info, sizeof(info));
  }
  return sendmsg(fd, &msg, MSG_NOSIGNAL);
}
