// Feeds arbitrary datagrams to a discovery search, as a network full of
// strange devices would: each is one length byte and that many bytes. What
// the search lists must hold together whatever came: one entry per MAC, only
// devices of the product searched for, names no longer than a datagram holds.
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <vector>

#include "interface/net/Discovery.h"

namespace {

class FuzzedNetwork : public IDiscoveryNetwork {
public:
    FuzzedNetwork(const uint8_t* data, size_t size)
    {
        for (size_t i = 0; i < size;) {
            const size_t n = data[i++];
            const size_t take = n < size - i ? n : size - i;
            m_datagrams.emplace_back(data + i, data + i + take);
            i += take;
        }
    }
    std::vector<LocalInterface> LocalInterfaces() override { return {{0x7F000001, 0xFF000000}, {0xC0A80105, 0xFFFFFF00}}; }
    bool OpenReceiver(int) override { return true; }
    SendResult Broadcast(uint32_t, const DiscoveryDatagram&) override { return SendResult::Sent; }
    long Receive(uint8_t* buffer, size_t size, uint32_t& from) override
    {
        if (m_datagrams.empty())
            return -1;
        const std::vector<uint8_t> d = std::move(m_datagrams.front());
        m_datagrams.pop_front();
        const size_t n = d.size() < size ? d.size() : size;
        std::copy(d.begin(), d.begin() + static_cast<long>(n), buffer);
        from = 0xC0A80100u | (n & 0xFF);
        return static_cast<long>(n);
    }
    void Close() override {}

private:
    std::deque<std::vector<uint8_t>> m_datagrams;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedNetwork network(data, size);
    CUdpDiscovery discovery(network);
    discovery.Search(kInterfaceProductId);
    const auto& devices = discovery.Devices();
    for (size_t i = 0; i < devices.size(); ++i) {
        if (devices[i].productId != kInterfaceProductId || devices[i].name.size() > (kDiscoverySize - 20) / 2)
            std::abort();
        for (size_t j = i + 1; j < devices.size(); ++j) {
            if (devices[i].mac == devices[j].mac)
                std::abort();
        }
        (void)devices[i].ListText();
    }
    return 0;
}
