// Listing the cameras of an INDI server, as the camera chooser does.

#include "driver/indi/device_listing.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

#include "indi/indi_server.h"

namespace {

using Clock = std::chrono::steady_clock;
using indicam::ListIndiCameras;
using indicam::LISTING_TIMEOUT;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A port that takes connections and never says a word.
class SilentPort {
  public:
    SilentPort() : socket_(socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        bind(socket_, reinterpret_cast<sockaddr *>(&address), sizeof address);
        listen(socket_, 4);
        getsockname(socket_, reinterpret_cast<sockaddr *>(&address), &length);
        port_ = ntohs(address.sin_port);
    }
    ~SilentPort() { close(socket_); }
    int Port() const { return port_; }

  private:
    int socket_;
    int port_ = 0;
};

TEST(DeviceListingTest, TheServersCamerasAreListedAndAnAbsentOrSilentServerEndsInTime) {
    if (!IndiServer::Installed()) {
        GTEST_SKIP() << "indiserver or indi_simulator_ccd is missing; "
                        "scripts/install-deps.sh installs them (indi-bin)";
    }
    IndiServer server;
    ASSERT_TRUE(server.Start());
    std::string error;
    Clock::time_point start = Clock::now();
    EXPECT_EQ(ListIndiCameras("127.0.0.1", server.Port(), LISTING_TIMEOUT, error),
              std::vector<std::string>{IndiServer::CAMERA});
    EXPECT_EQ(error, "");
    EXPECT_LT(SecondsSince(start), LISTING_TIMEOUT.count() / 1000.0 + 1);

    const int nobody = IndiServer().Port();
    start = Clock::now();
    EXPECT_TRUE(ListIndiCameras("127.0.0.1", nobody, LISTING_TIMEOUT, error).empty());
    EXPECT_EQ(error, "no INDI server answers at 127.0.0.1:" + std::to_string(nobody));
    EXPECT_LT(SecondsSince(start), 1.0);

    const SilentPort silent;
    error.clear();
    start = Clock::now();
    EXPECT_TRUE(ListIndiCameras("127.0.0.1", silent.Port(), LISTING_TIMEOUT, error).empty());
    EXPECT_EQ(error, "") << "a server that answers with no camera";
    EXPECT_LT(SecondsSince(start), LISTING_TIMEOUT.count() / 1000.0 + 1);
}

}  // namespace
