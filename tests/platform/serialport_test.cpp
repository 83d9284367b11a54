#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include "platform/serialport.h"

namespace tsw::plat {
namespace {

// A pseudo-terminal pair: the port under test opens the slave side.
class Pty {
public:
  Pty() {
    master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ::grantpt(master);
    ::unlockpt(master);
    slave = ::ptsname(master);
  }
  ~Pty() { ::close(master); }
  int master;
  std::string slave;
};

TEST(SerialDevicePathTest, SettingPatternsAndTheDefault) {
  EXPECT_EQ(SerialDevicePath("", 2), "/dev/ttyS1");
  EXPECT_EQ(SerialDevicePath("/dev/ttyUSB%d", 1), "/dev/ttyUSB0");
  EXPECT_EQ(SerialDevicePath("/dev/pts/7", 4), "/dev/pts/7");
}

TEST(TermiosPortTest, TheLineIsRawEightBitWithTheAskedRateStopBitsAndFlow) {
  Pty pty;
  std::string why;
  std::unique_ptr<SerialPort> port = OpenTermiosPort(pty.slave, &why);
  ASSERT_TRUE(port) << why;
  SerialLineSettings s;
  s.baud = 57600;
  s.stopBits = 1;
  s.rtsFlow = true;
  ASSERT_TRUE(port->Configure(s));
  termios t{};
  ASSERT_EQ(tcgetattr(pty.master, &t), 0); // a master reads its slave's settings
  EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t(CS8));
  EXPECT_NE(t.c_cflag & CSTOPB, 0u);
  EXPECT_NE(t.c_cflag & CRTSCTS, 0u);
  EXPECT_EQ(t.c_cflag & PARENB, 0u);
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL), 0u);
  EXPECT_EQ(t.c_cc[VMIN], 0);
  EXPECT_EQ(t.c_cc[VTIME], 0);
  EXPECT_EQ(cfgetospeed(&t), speed_t(B57600));
  s.stopBits = 0;
  s.rtsFlow = false;
  ASSERT_TRUE(port->Configure(s));
  ASSERT_EQ(tcgetattr(pty.master, &t), 0);
  EXPECT_EQ(t.c_cflag & (CSTOPB | CRTSCTS), 0u);
  s.baud = 12345;
  EXPECT_FALSE(port->Configure(s));
}

TEST(TermiosPortTest, ASecondOpenOfTheDeviceFailsWhileTheFirstLasts) {
  Pty pty;
  std::unique_ptr<SerialPort> first = OpenTermiosPort(pty.slave, nullptr);
  ASSERT_TRUE(first);
  std::string why;
  EXPECT_FALSE(OpenTermiosPort(pty.slave, &why));
  EXPECT_NE(why.find(pty.slave), std::string::npos);
  first.reset();
  EXPECT_TRUE(OpenTermiosPort(pty.slave, nullptr));
}

TEST(TermiosPortTest, BytesBothWaysModemLinesUnknownAndAHangUpIsAnError) {
  Pty pty;
  std::unique_ptr<SerialPort> port = OpenTermiosPort(pty.slave, nullptr);
  ASSERT_TRUE(port);
  ASSERT_TRUE(port->Configure(SerialLineSettings{}));
  uint8_t buf[4] = {};
  EXPECT_EQ(port->Read(buf, 4), 0);
  EXPECT_FALSE(port->WaitReadable(5));
  const uint8_t out[3] = {0xA0, 0x00, 0xFF};
  EXPECT_EQ(port->Write(out, 3), 3);
  uint8_t got[3] = {};
  EXPECT_EQ(::read(pty.master, got, 3), 3);
  EXPECT_EQ(got[2], 0xFF);
  ASSERT_EQ(::write(pty.master, "\x06\x15", 2), 2);
  EXPECT_TRUE(port->WaitReadable(100));
  EXPECT_EQ(port->Read(buf, 4), 2);
  EXPECT_EQ(buf[1], 0x15);
  EXPECT_EQ(port->TakeErrors(), 0u);
  // A pseudo-terminal has no modem lines.
  EXPECT_EQ(port->Dsr(), ModemLine::Unknown);
  ::close(pty.master);
  pty.master = ::open("/dev/null", O_RDONLY);
  EXPECT_TRUE(port->WaitReadable(100));
  port->Read(buf, 4);
  EXPECT_NE(port->TakeErrors() & kPortIoFailure, 0u);
}

} // namespace
} // namespace tsw::plat
