#include "hid/hidraw_backend.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "hid/hid_device.h"
#include "hid/hid_test_support.h"

namespace calvorn::hid {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// A sysfs and /dev tree laid out as the kernel lays out hidraw nodes of USB devices:
//   sys/devices/usb1/1-N/bcdDevice
//   sys/devices/usb1/1-N/1-N:1.I/0003:VVVV:PPPP.000N/{uevent,report_descriptor}
//   sys/devices/usb1/1-N/1-N:1.I/0003:VVVV:PPPP.000N/hidraw/hidrawN/device -> ../..
//   sys/class/hidraw/hidrawN -> ../../devices/.../hidraw/hidrawN
//   dev/hidrawN (a plain file: the opener below hands out sockets instead)
class SysfsTree {
public:
    SysfsTree() {
        std::string pattern = (fs::temp_directory_path() / "calvorn-hidraw-XXXXXX").string();
        root_ = ::mkdtemp(pattern.data());
        fs::create_directories(root_ / "sys/class/hidraw");
        fs::create_directories(root_ / "dev");
    }
    ~SysfsTree() {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }

    std::string Sys() const { return (root_ / "sys").string(); }
    std::string Dev() const { return (root_ / "dev").string(); }
    std::string Node(int number) const { return Dev() + "/hidraw" + std::to_string(number); }

    struct NodeFiles {
        int number = 0;
        std::string uevent;
        Bytes descriptor;
        std::string bcd_device;  // empty: not a USB device
    };

    void Add(const NodeFiles& node) {
        const std::string name = "hidraw" + std::to_string(node.number);
        const fs::path usb = root_ / "sys/devices/usb1" / ("1-" + std::to_string(node.number));
        const fs::path hid = usb / "1-x:1.0" / ("0003:0000:0000." + std::to_string(node.number));
        fs::create_directories(hid / "hidraw" / name);
        fs::create_symlink("../..", hid / "hidraw" / name / "device");
        Write(hid / "uevent", node.uevent);
        Write(hid / "report_descriptor",
              std::string(node.descriptor.begin(), node.descriptor.end()));
        if (!node.bcd_device.empty()) {
            Write(usb / "bcdDevice", node.bcd_device + "\n");
        }
        fs::create_symlink(fs::relative(hid / "hidraw" / name, root_ / "sys/class/hidraw"),
                           root_ / "sys/class/hidraw" / name);
        Write(root_ / "dev" / name, "");
    }

    void Remove(int number) {
        const std::string name = "hidraw" + std::to_string(number);
        fs::remove(root_ / "sys/class/hidraw" / name);
        fs::remove(root_ / "dev" / name);
        fs::remove_all(root_ / "sys/devices/usb1" / ("1-" + std::to_string(number)));
    }

private:
    static void Write(const fs::path& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    fs::path root_;
};

std::string Uevent(const char* hid_id, const char* phys) {
    return std::string("DRIVER=hid-generic\nHID_ID=") + hid_id + "\nHID_NAME=Test Device\n" +
           "HID_PHYS=" + phys + "\nHID_UNIQ=\nMODALIAS=hid:b0003g0001v00003299p00004E93\n";
}

// Stands in for the device nodes: every open gets one end of a packet socket pair, so each
// read returns one whole report as hidraw does; the test plays the device on the other ends,
// sending every input report to every opener as hidraw does.
class FakeNodes {
public:
    ~FakeNodes() {
        for (auto& [node, peers] : peers_) {
            for (int fd : peers) {
                ::close(fd);
            }
        }
    }

    HidrawBackend::NodeOpener Opener() {
        return [this](const std::string& node, int flags) {
            std::lock_guard lock(mutex_);
            flags_.push_back(flags);
            if (!fs::exists(node) || refuse_) {
                errno = refuse_ ? EACCES : ENOENT;
                return -1;
            }
            int pair[2];
            if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair) != 0) {
                return -1;
            }
            peers_[node].push_back(pair[1]);
            return pair[0];
        };
    }

    void Send(const std::string& node, const Bytes& report) {
        std::lock_guard lock(mutex_);
        for (int fd : peers_[node]) {
            ASSERT_EQ(::send(fd, report.data(), report.size(), MSG_NOSIGNAL),
                      static_cast<ssize_t>(report.size()));
        }
    }

    // The next report written through the `index`-th open of `node`.
    Bytes Received(const std::string& node, std::size_t index) {
        int fd = -1;
        {
            std::lock_guard lock(mutex_);
            fd = peers_[node].at(index);
        }
        Bytes report(4096);
        const ssize_t n = ::recv(fd, report.data(), report.size(), MSG_DONTWAIT);
        report.resize(n < 0 ? 0 : static_cast<std::size_t>(n));
        return report;
    }

    // The device goes away: every open of `node` sees its end close.
    void Hangup(const std::string& node) {
        std::lock_guard lock(mutex_);
        for (int fd : peers_[node]) {
            ::shutdown(fd, SHUT_RDWR);
        }
    }

    void Refuse() {
        std::lock_guard lock(mutex_);
        refuse_ = true;
    }
    std::vector<int> Flags() {
        std::lock_guard lock(mutex_);
        return flags_;
    }

private:
    std::mutex mutex_;
    std::map<std::string, std::vector<int>> peers_;
    std::vector<int> flags_;
    bool refuse_ = false;
};

class HidrawBackendTest : public ::testing::Test {
protected:
    HidrawBackendTest() {
        tree_.Add({3, Uevent("0003:00003299:00004E93", "usb-0000:00:14.0-2/input1"),
                   test::CompositeInterface(), "0104"});
        tree_.Add({10, Uevent("0003:0000046D:0000C31C", "usb-0000:00:14.0-3/input0"),
                   test::kBootKeyboard, "6400"});
        tree_.Add(
            {11, Uevent("0005:0000054C:000009CC", "a0:b1:c2:d3:e4:f5"), test::kWheelMouse, ""});
    }

    std::string VendorPath() const { return tree_.Node(3) + "#vid_3299&pid_4e93&mi_01&col04"; }
    std::string ConsumerPath() const { return tree_.Node(3) + "#vid_3299&pid_4e93&mi_01&col03"; }
    std::string BootKeyboardPath() const { return tree_.Node(10) + "#vid_046d&pid_c31c&mi_00"; }

    SysfsTree tree_;
    FakeNodes nodes_;
    HidrawBackend backend_{tree_.Sys(), tree_.Dev(), nodes_.Opener()};
};

TEST_F(HidrawBackendTest, ListsOnePathPerTopLevelCollection) {
    // A node whose sysfs entry cannot be read (unplugged during the walk) is left out.
    std::filesystem::create_directories(tree_.Sys() + "/class/hidraw/hidraw7");

    const std::vector<std::string> expected = {
        tree_.Node(3) + "#vid_3299&pid_4e93&mi_01&col01",
        tree_.Node(3) + "#vid_3299&pid_4e93&mi_01&col02",
        ConsumerPath(),
        VendorPath(),
        BootKeyboardPath(),                     // one collection: no &col
        tree_.Node(11) + "#vid_054c&pid_09cc",  // Bluetooth: no interface number
    };
    EXPECT_EQ(backend_.EnumeratePaths(), expected);

    HidrawBackend no_hidraw("/nonexistent-sysfs", tree_.Dev());
    EXPECT_EQ(no_hidraw.EnumeratePaths(), std::vector<std::string>{});
}

TEST_F(HidrawBackendTest, OpenGivesTheCollectionsIdentity) {
    CHidDevice device(backend_);
    ASSERT_TRUE(device.OpenHidDevice(VendorPath(), true, true, true, false));
    EXPECT_EQ(device.Attributes().vendor_id, 0x3299);
    EXPECT_EQ(device.Attributes().product_id, 0x4E93);
    EXPECT_EQ(device.Attributes().version_number, 0x0104);
    EXPECT_EQ(device.Capabilities().usage_page, 0xFF1C);
    EXPECT_EQ(device.Capabilities().usage, 0x92);
    EXPECT_EQ(device.Capabilities().input_report_length, 64);
    EXPECT_EQ(device.InterfaceNumber(), 1);
    EXPECT_EQ(device.CollectionNumber(), 4);

    ASSERT_TRUE(device.OpenHidDevice(ConsumerPath(), true, false, true, false));
    EXPECT_EQ(device.Capabilities().usage_page, 0x0C);
    EXPECT_EQ(device.Capabilities().input_report_length, 3);

    ASSERT_TRUE(
        device.OpenHidDevice(tree_.Node(11) + "#vid_054c&pid_09cc", true, false, true, false));
    EXPECT_EQ(device.Attributes().version_number, 0);
    EXPECT_EQ(device.Capabilities().usage, 0x02);

    const std::vector<int> flags = nodes_.Flags();
    ASSERT_EQ(flags.size(), 3u);
    EXPECT_EQ(flags[0] & O_ACCMODE, O_RDWR);
    EXPECT_EQ(flags[1] & O_ACCMODE, O_RDONLY);
}

TEST_F(HidrawBackendTest, OpenFailsForPathsThatNoLongerFit) {
    CHidDevice device(backend_);
    const std::string cases[] = {
        tree_.Node(3) + "#vid_3299&pid_4e93&mi_01&col05",   // no fifth collection
        tree_.Node(3) + "#vid_3299&pid_4e93&mi_01",         // the node has four collections
        tree_.Node(10) + "#vid_046d&pid_c31c&mi_00&col01",  // and this one only one
        tree_.Node(3) + "#vid_3299&pid_4e96&mi_01&col04",   // node now belongs to another
        tree_.Node(4) + "#vid_3299&pid_4e93&mi_01&col04",   // no such node
        "/elsewhere/hidraw3#vid_3299&pid_4e93&mi_01&col04",
    };
    for (const std::string& path : cases) {
        EXPECT_FALSE(device.OpenHidDevice(path, true, true, true, false)) << path;
        EXPECT_FALSE(device.IsOpen());
    }
    nodes_.Refuse();
    EXPECT_FALSE(device.OpenHidDevice(VendorPath(), true, true, true, false));
    // Identity alone needs no access to the node.
    ASSERT_TRUE(device.OpenHidDevice(VendorPath(), false, false, false, false));
    EXPECT_EQ(device.Capabilities().usage_page, 0xFF1C);
    std::uint8_t buffer[64];
    EXPECT_FALSE(device.ReadHidReport(buffer, sizeof buffer, 0).ok);
}

TEST_F(HidrawBackendTest, PresenceFollowsTheNodeAndItsOwner) {
    EXPECT_TRUE(backend_.PathExists(VendorPath()));
    EXPECT_FALSE(backend_.PathExists(tree_.Node(3) + "#vid_3299&pid_4e99&mi_01&col04"));
    tree_.Remove(3);
    EXPECT_FALSE(backend_.PathExists(VendorPath()));
    // The number comes back for another device.
    tree_.Add({3, Uevent("0003:0000046D:0000C31C", "usb-0000:00:14.0-4/input0"),
               test::kBootKeyboard, "0100"});
    EXPECT_FALSE(backend_.PathExists(VendorPath()));
}

TEST_F(HidrawBackendTest, EachCollectionReadsOnlyItsOwnReports) {
    CHidDevice vendor(backend_);
    CHidDevice consumer(backend_);
    ASSERT_TRUE(vendor.OpenHidDevice(VendorPath(), true, true, true, false));
    ASSERT_TRUE(consumer.OpenHidDevice(ConsumerPath(), true, true, true, false));

    Bytes reply(64, 0);
    reply[0] = 0x04;
    reply[3] = 0x01;
    const Bytes notice = {0x03, 0x01, 0x04};
    const Bytes keys = {0x02, 0x00, 0x10};
    for (const Bytes& report : {keys, reply, notice, keys, reply}) {
        nodes_.Send(tree_.Node(3), report);
    }

    Bytes buffer(64);
    for (int i = 0; i < 2; ++i) {
        const CHidDevice::Transfer got = vendor.ReadHidReport(buffer.data(), buffer.size(), 0);
        ASSERT_TRUE(got.ok);
        EXPECT_EQ(got.bytes, 64u);
        EXPECT_EQ(buffer, reply);
    }
    EXPECT_FALSE(vendor.ReadHidReport(buffer.data(), buffer.size(), 0).ok);

    const CHidDevice::Transfer got = consumer.ReadHidReport(buffer.data(), buffer.size(), 0);
    ASSERT_TRUE(got.ok);
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 3), notice);
    EXPECT_FALSE(consumer.ReadHidReport(buffer.data(), buffer.size(), 0).ok);
}

TEST_F(HidrawBackendTest, ReportsWithoutIdsGetAZeroIdByte) {
    CHidDevice keyboard(backend_);
    ASSERT_TRUE(keyboard.OpenHidDevice(BootKeyboardPath(), true, false, true, false));
    nodes_.Send(tree_.Node(10), {0x02, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00});
    Bytes buffer(9);
    ASSERT_TRUE(keyboard.ReadHidReport(buffer.data(), buffer.size(), 0).ok);
    EXPECT_EQ(buffer, (Bytes{0x00, 0x02, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00}));
    ASSERT_TRUE(keyboard.DecodeInputReport(buffer.data(), buffer.size()));
    EXPECT_EQ(keyboard.InputItems()[0].usages[0], 0xE1);
    EXPECT_EQ(keyboard.InputItems()[1].usages[0], 0x04);
}

TEST_F(HidrawBackendTest, WritesGoOutAsReportIdAndPayload) {
    CHidDevice vendor(backend_);
    ASSERT_TRUE(vendor.OpenHidDevice(VendorPath(), true, true, true, false));
    Bytes request(64, 0);
    request[0] = 0x04;
    request[3] = 0x0A;
    const CHidDevice::Transfer put = vendor.WriteHidReport(request.data(), request.size(), 1000);
    EXPECT_TRUE(put.ok);
    EXPECT_EQ(put.bytes, 64u);
    EXPECT_EQ(nodes_.Received(tree_.Node(3), 0), request);

    request[3] = 0x0B;
    EXPECT_TRUE(vendor.SetHidOutputReport(request.data(), request.size()));
    EXPECT_EQ(nodes_.Received(tree_.Node(3), 0), request);

    CHidDevice read_only(backend_);
    ASSERT_TRUE(read_only.OpenHidDevice(VendorPath(), true, false, true, false));
    EXPECT_FALSE(read_only.WriteHidReport(request.data(), request.size(), 1000).ok);
}

TEST_F(HidrawBackendTest, CloseReleasesABlockedReadAndHangupFailsIt) {
    test::ObservedBackend observed(backend_);
    CHidDevice vendor(observed);
    ASSERT_TRUE(vendor.OpenHidDevice(VendorPath(), true, true, true, false));
    auto read = [&vendor] {
        std::uint8_t buffer[64];
        return vendor.ReadHidReport(buffer, sizeof buffer, -1).ok;
    };
    std::future<bool> blocked = std::async(std::launch::async, read);
    observed.WaitForReads(1);
    nodes_.Send(tree_.Node(3), {0x03, 0x01, 0x04});  // another collection's: keeps waiting
    vendor.CloseHidDevice();
    EXPECT_FALSE(blocked.get());

    ASSERT_TRUE(vendor.OpenHidDevice(VendorPath(), true, true, true, false));
    blocked = std::async(std::launch::async, read);
    observed.WaitForReads(2);
    nodes_.Hangup(tree_.Node(3));
    EXPECT_FALSE(blocked.get());
}

}  // namespace
}  // namespace calvorn::hid
