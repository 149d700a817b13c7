// CK02 against the fake system: bytes on the wire, result codes, state.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/Classek02.h"
#include "platform/os/fake/FakeOs.h"

namespace {

const std::string kCom2 = "\\\\.\\COM2";

class LiaisonTest : public ::testing::Test {
 protected:
  LiaisonTest() { fake.Plug(kCom2, appareil); }

  // A session open on COM2, the trace cleared so that tests see only their bytes.
  void OuvrirSession() {
    appareil.Queue({REP_PRET});
    ASSERT_EQ(liaison.Connecter(1), 0);
    fake.ClearTrace();
  }
  void Deverrouille() {
    OuvrirSession();
    appareil.Queue({ACQUIT});
    ASSERT_EQ(liaison.Deverrouiller(), 0);
    fake.ClearTrace();
  }
  void EnProgrammation() {
    Deverrouille();
    appareil.Queue({ACQUIT});
    ASSERT_EQ(liaison.DemarrerProgrammation(), 0);
    fake.ClearTrace();
  }
  std::uint64_t Ms() const { return const_cast<os::FakeOs&>(fake).Clock().NowUs() / 1000; }

  os::FakeOs fake;
  os::ScriptedDevice appareil;
  CK02 liaison{fake};
};

// ---- Construction and serial line ------------------------------------------

TEST_F(LiaisonTest, StartsClosedOnCom2WithNoSession) {
  EXPECT_FALSE(liaison.PortOuvert());
  EXPECT_STREQ(liaison.LeNomPort(), "\\\\.\\COM2");
  EXPECT_EQ(liaison.DerniereErreur(), 0);
  EXPECT_EQ(liaison.LeSynchronise(), 0);
  EXPECT_EQ(liaison.LeModeSession(), 0);
  EXPECT_STREQ(liaison.NomModele(), "Orvalis ZT");
  EXPECT_EQ(fake.Calls(), "");
}

TEST_F(LiaisonTest, ChoisirPortTakesTheTableEntryOrFallsBackToCom1) {
  const std::vector<std::pair<int, std::string>> cas = {
      {0, "\\\\.\\COM1"}, {3, "\\\\.\\COM4"}, {9, "\\\\.\\COM10"},
      {10, "\\\\.\\COM1"}, {-1, "\\\\.\\COM1"}, {1 << 30, "\\\\.\\COM1"}};
  for (const auto& [index, nom] : cas) {
    liaison.ChoisirPort(index);
    EXPECT_EQ(liaison.LeNomPort(), nom) << index;
  }
  EXPECT_EQ(fake.Calls(), "");
}

TEST_F(LiaisonTest, ByteLayerWithoutAPortIsRefusedAndSendsNothing) {
  std::int32_t v = 77;
  const std::vector<std::pair<const char*, std::function<std::int32_t()>>> cas = {
      {"Purger", [&] { return liaison.Purger(); }},
      {"EcrireOctet", [&] { return liaison.EcrireOctet(0x80); }},
      {"LireOctet", [&] { return liaison.LireOctet(v); }},
      {"FinSession", [&] { return liaison.FinSession(); }},
  };
  for (const auto& [nom, operation] : cas) {
    EXPECT_EQ(operation(), ERR_PORT_FERME) << nom;
    EXPECT_EQ(liaison.DerniereErreur(), ERR_PORT_FERME) << nom;
  }
  EXPECT_EQ(v, 77);
  EXPECT_EQ(fake.Calls(), "");
  EXPECT_EQ(fake.Wire(), "");
}

TEST_F(LiaisonTest, FermerWithoutAPortSucceedsAndTouchesNothing) {
  std::int32_t v = 0;
  ASSERT_EQ(liaison.LireOctet(v), ERR_PORT_FERME);
  EXPECT_EQ(liaison.Fermer(), 0);
  EXPECT_EQ(liaison.DerniereErreur(), 0);
  EXPECT_EQ(liaison.LeSynchronise(), 0);
  EXPECT_EQ(liaison.LeModeSession(), 0);
  EXPECT_EQ(fake.Calls(), "");
}

TEST_F(LiaisonTest, OuvrirAppliesTheLineAndFermerPutsBackWhatItFound) {
  const os::DCB trouve = fake.CurrentDcb(kCom2);
  const os::COMMTIMEOUTS delaisTrouves = {7, 8, 9, 10, 11};
  fake.SetFound(kCom2, trouve, delaisTrouves);

  ASSERT_EQ(liaison.Ouvrir(), 0);
  EXPECT_EQ(fake.Calls(),
            "CreateFileA(\\\\.\\COM2) GetCommState SetCommState GetCommTimeouts SetCommTimeouts");
  const os::DCB dcb = fake.CurrentDcb(kCom2);
  EXPECT_EQ(dcb.DCBlength, 28u);
  EXPECT_EQ(dcb.BaudRate, 9600u);
  EXPECT_EQ(dcb.fBinary, 1u);
  EXPECT_EQ(dcb.fParity, 1u);
  EXPECT_EQ(dcb.fOutxCtsFlow + dcb.fOutxDsrFlow + dcb.fOutX + dcb.fInX, 0u);
  EXPECT_EQ(dcb.fDtrControl, os::DTR_CONTROL_DISABLE);
  EXPECT_EQ(dcb.fRtsControl, os::RTS_CONTROL_ENABLE);
  EXPECT_EQ(dcb.ByteSize, 8);
  EXPECT_EQ(dcb.Parity, os::EVENPARITY);
  EXPECT_EQ(dcb.StopBits, os::ONESTOPBIT);
  EXPECT_EQ(dcb.XonLim, 100);
  EXPECT_EQ(dcb.XoffLim, 100);
  EXPECT_EQ(dcb.XonChar, 0x01);
  EXPECT_EQ(dcb.XoffChar, 0x02);
  EXPECT_EQ(dcb.ErrorChar, 0x04);
  EXPECT_EQ(dcb.EvtChar, 0x03);
  const os::COMMTIMEOUTS delais = fake.CurrentTimeouts(kCom2);
  EXPECT_EQ(delais.ReadIntervalTimeout, 500u);
  EXPECT_EQ(delais.ReadTotalTimeoutMultiplier, 100u);
  EXPECT_EQ(delais.ReadTotalTimeoutConstant, 1000u);
  EXPECT_EQ(delais.WriteTotalTimeoutMultiplier, 100u);
  EXPECT_EQ(delais.WriteTotalTimeoutConstant, 1000u);

  fake.ClearTrace();
  appareil.Queue({0x00});
  ASSERT_EQ(liaison.Fermer(), 0);
  EXPECT_EQ(fake.Wire(), "TX 04 RX 00");
  EXPECT_EQ(fake.Calls(), "SetCommState SetCommTimeouts CloseHandle");
  EXPECT_FALSE(fake.IsOpen(kCom2));
  EXPECT_EQ(fake.CurrentDcb(kCom2).BaudRate, 19200u);
  EXPECT_EQ(fake.CurrentDcb(kCom2).Parity, os::NOPARITY);
  EXPECT_EQ(fake.CurrentTimeouts(kCom2).ReadTotalTimeoutConstant, 9u);
}

TEST_F(LiaisonTest, OuvrirReportsTheWindowsCodeOfAPortItCannotOpen) {
  liaison.ChoisirPort(4);  // COM5: not plugged
  EXPECT_EQ(liaison.Ouvrir(), 2);
  EXPECT_FALSE(liaison.PortOuvert());
  liaison.ChoisirPort(1);
  fake.Hold(kCom2);
  EXPECT_EQ(liaison.Ouvrir(), 5);
  EXPECT_FALSE(liaison.PortOuvert());
  EXPECT_EQ(liaison.DerniereErreur(), 5);
}

// An open that fails part-way leaves the port open; closing must restore only
// what that open saved (never zeros, never another port's settings), and
// close the handle all the same.
TEST_F(LiaisonTest, FermerAfterAPartialOuvrirRestoresOnlyWhatThatOpenSaved) {
  struct Cas {
    const char* appelEnEchec;
    const char* appelsDeFermer;
  };
  const std::vector<Cas> cas = {
      {"GetCommState", "CloseHandle"},
      {"SetCommState", "SetCommState CloseHandle"},
      {"GetCommTimeouts", "SetCommState CloseHandle"},
      {"SetCommTimeouts", "SetCommState SetCommTimeouts CloseHandle"},
  };
  os::ScriptedDevice autre;
  fake.Plug("\\\\.\\COM1", autre);
  for (const Cas& c : cas) {
    // A complete open and close of COM1 first leaves its settings saved in the link.
    liaison.ChoisirPort(0);
    ASSERT_EQ(liaison.Ouvrir(), 0);
    autre.Queue({0x00});
    ASSERT_EQ(liaison.Fermer(), 0);

    liaison.ChoisirPort(1);
    const os::DCB trouve = fake.CurrentDcb(kCom2);
    fake.FailCall(c.appelEnEchec, os::ERROR_GEN_FAILURE);
    EXPECT_EQ(liaison.Ouvrir(), 31) << c.appelEnEchec;
    EXPECT_TRUE(liaison.PortOuvert()) << c.appelEnEchec;

    fake.ClearTrace();
    appareil.Queue({0x00});
    EXPECT_EQ(liaison.Fermer(), 0) << c.appelEnEchec;
    EXPECT_EQ(fake.Calls(), c.appelsDeFermer) << c.appelEnEchec;
    EXPECT_FALSE(fake.IsOpen(kCom2)) << c.appelEnEchec;
    EXPECT_EQ(fake.CurrentDcb(kCom2).BaudRate, trouve.BaudRate) << c.appelEnEchec;
  }
}

// A port whose device went away cannot take its settings back; closing it
// must still free the handle, or the link could never open a port again.
TEST_F(LiaisonTest, AFailedRestoreIsReportedAndThePortClosesAllTheSame) {
  const std::vector<const char*> cas = {"SetCommState", "SetCommTimeouts"};
  for (const char* appel : cas) {
    appareil.Queue({REP_PRET});
    ASSERT_EQ(liaison.Connecter(1), 0);
    fake.FailCall(appel, os::ERROR_DEVICE_NOT_CONNECTED);
    appareil.Queue({0x00});
    EXPECT_EQ(liaison.Fermer(), 1167) << appel;
    EXPECT_FALSE(liaison.PortOuvert()) << appel;
    EXPECT_FALSE(fake.IsOpen(kCom2)) << appel;
    EXPECT_EQ(liaison.LeSynchronise(), 0) << appel;
    EXPECT_EQ(liaison.Ouvrir(), 0) << appel;
  }
  fake.FailCall("CloseHandle", os::ERROR_GEN_FAILURE);
  appareil.Queue({0x00});
  EXPECT_EQ(liaison.Fermer(), 31);
  EXPECT_TRUE(liaison.PortOuvert());
  EXPECT_EQ(liaison.Fermer(), 0);
}

// A USB adapter pulled out while open: every call fails with the Windows
// code of a device gone, and closing still frees the handle.
TEST_F(LiaisonTest, APortUnpluggedWhileOpenFailsItsCallsAndStillCloses) {
  ASSERT_EQ(liaison.Ouvrir(), 0);
  fake.Unplug(kCom2);
  std::int32_t v = 0;
  EXPECT_EQ(liaison.LireOctet(v), 1167);
  EXPECT_EQ(liaison.EcrireOctet(0x80), 1167);
  EXPECT_EQ(liaison.Fermer(), 1167);
  EXPECT_FALSE(liaison.PortOuvert());
  EXPECT_EQ(liaison.Ouvrir(), 2);
}

TEST_F(LiaisonTest, OuvrirAnOpenPortEndsTheSessionClosesAndReopens) {
  ASSERT_EQ(liaison.Ouvrir(), 0);
  fake.ClearTrace();
  appareil.Queue({0x00});
  ASSERT_EQ(liaison.Ouvrir(), 0);
  EXPECT_EQ(fake.Wire(), "TX 04 RX 00");
  EXPECT_EQ(fake.Calls(),
            "SetCommState SetCommTimeouts CloseHandle CreateFileA(\\\\.\\COM2) GetCommState "
            "SetCommState GetCommTimeouts SetCommTimeouts");
  EXPECT_EQ(fake.OpenCount(kCom2), 2);
}

TEST_F(LiaisonTest, LireOctetGivesUpAfterTheReadTimeOutAndKeepsItsOutput) {
  ASSERT_EQ(liaison.Ouvrir(), 0);
  const auto debut = Ms();
  std::int32_t v = 42;
  EXPECT_EQ(liaison.LireOctet(v), ERR_PAS_DE_REPONSE);
  EXPECT_EQ(Ms() - debut, 1100u);
  EXPECT_EQ(v, 42);
  EXPECT_EQ(liaison.DerniereErreur(), ERR_PAS_DE_REPONSE);

  appareil.SendNow({0xA5});
  EXPECT_EQ(liaison.LireOctet(v), 0);
  EXPECT_EQ(v, 0xA5);
}

TEST_F(LiaisonTest, EcrireOctetAndLireOctetPassOnTheWindowsCode) {
  ASSERT_EQ(liaison.Ouvrir(), 0);
  std::int32_t v = 0;
  fake.FailCall("WriteFile", os::ERROR_OPERATION_ABORTED);
  EXPECT_EQ(liaison.EcrireOctet(0x80), 995);
  fake.FailCall("ReadFile", os::ERROR_OPERATION_ABORTED);
  EXPECT_EQ(liaison.LireOctet(v), 995);
  fake.FailCall("PurgeComm", os::ERROR_GEN_FAILURE);
  EXPECT_EQ(liaison.Purger(), 31);
  EXPECT_EQ(liaison.Purger(), 0);
  EXPECT_EQ(fake.Calls().find("PurgeComm(0F)") != std::string::npos, true);
}

TEST(LiaisonDestruction, SendsEndOfSessionTwiceWhenOpenAndNothingWhenClosed) {
  os::FakeOs fake;
  os::ScriptedDevice appareil;
  fake.Plug(kCom2, appareil);
  {
    CK02 ferme(fake);
  }
  EXPECT_EQ(fake.Wire(), "");
  EXPECT_EQ(fake.Calls(), "");
  {
    CK02 ouvert(fake);
    ASSERT_EQ(ouvert.Ouvrir(), 0);
    appareil.Queue({0x00, 0x00});
  }
  EXPECT_EQ(fake.Wire(), "TX 04 RX 00 TX 04 RX 00");
  EXPECT_FALSE(fake.IsOpen(kCom2));
  EXPECT_EQ(fake.CurrentDcb(kCom2).BaudRate, 19200u);
}

}  // namespace
