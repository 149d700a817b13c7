#include "link/Classek02.h"

#include <algorithm>
#include <cstring>

namespace {

using os::DWORD;

// The line the boot loader speaks: 9600 8E1, no flow control, DTR off, RTS on.
os::DCB ReglagesLigne() {
  os::DCB dcb{};
  dcb.DCBlength = sizeof(os::DCB);
  dcb.BaudRate = 9600;
  dcb.fBinary = 1;
  dcb.fParity = 1;
  dcb.fOutxCtsFlow = 0;
  dcb.fOutxDsrFlow = 0;
  dcb.fDtrControl = os::DTR_CONTROL_DISABLE;
  dcb.fDsrSensitivity = 0;
  dcb.fTXContinueOnXoff = 0;
  dcb.fOutX = 0;
  dcb.fInX = 0;
  dcb.fErrorChar = 0;
  dcb.fNull = 0;
  dcb.fRtsControl = os::RTS_CONTROL_ENABLE;
  dcb.fAbortOnError = 0;
  dcb.fDummy2 = 0;
  dcb.wReserved = 0;
  dcb.XonLim = 100;
  dcb.XoffLim = 100;
  dcb.ByteSize = 8;
  dcb.Parity = os::EVENPARITY;
  dcb.StopBits = os::ONESTOPBIT;
  dcb.XonChar = 0x01;
  dcb.XoffChar = 0x02;
  dcb.ErrorChar = 0x04;
  dcb.EofChar = 0x00;
  dcb.EvtChar = 0x03;
  dcb.wReserved1 = 0;
  return dcb;
}

// A one-byte read gives up after 1100 ms, a one-byte write likewise.
constexpr os::COMMTIMEOUTS DelaisLigne = {500, 100, 1000, 100, 1000};

// No answer yet to the poll.
constexpr std::int32_t kAucuneReponse = -1;

// The longest poll Connecter accepts; beyond it the wrap-safe comparison of
// tick counts (a signed 32-bit difference) would no longer hold.
constexpr std::int32_t kSecondesMax = 86400;

// Tick counts wrap after 49.7 days: compare by the signed difference, so that
// a deadline just past zero is not taken as already passed.
bool Atteint(DWORD maintenant, DWORD echeance) {
  return static_cast<std::int32_t>(maintenant - echeance) >= 0;
}

std::int32_t ChiffreHexa(std::int32_t chiffre) {
  return chiffre < 10 ? chiffre + 0x30 : chiffre + 0x37;
}

}  // namespace

CK02::CK02(os::Os& systeme)
    : Systeme(systeme),
      HandlePort(os::INVALID_HANDLE_VALUE),
      DcbApplique(ReglagesLigne()),
      DcbSauve{},
      DelaisAppliques(DelaisLigne),
      DelaisSauves{},
      NomPort{},
      Synchronise(0),
      ModeSession(0),
      Resultat(0),
      NbEssaisMax(3),
      IndexModele(2),
      DcbSauveValide(false),
      DelaisSauvesValides(false) {
  ChoisirPort(1);
}

CK02::~CK02() {
  FinSession();
  Fermer();
}

// ---- Serial line ------------------------------------------------------------

void CK02::ChoisirPort(std::int32_t index) {
  const std::string_view nom = (index >= 0 && index < static_cast<std::int32_t>(NomsPorts.size()))
                                   ? NomsPorts[static_cast<std::size_t>(index)]
                                   : NomsPorts[0];
  std::memset(NomPort, 0, sizeof NomPort);
  std::memcpy(NomPort, nom.data(), std::min(nom.size(), sizeof NomPort - 1));
}

std::int32_t CK02::Ouvrir() {
  if (Fermer() != 0) return Resultat;
  HandlePort = Systeme.CreateFileA(NomPort, os::GENERIC_READ | os::GENERIC_WRITE, 0, nullptr,
                                   os::OPEN_EXISTING, 0, 0);
  if (HandlePort == os::INVALID_HANDLE_VALUE) return ErreurSysteme();
  DcbSauveValide = false;
  DelaisSauvesValides = false;
  if (!Systeme.GetCommState(HandlePort, &DcbSauve)) return ErreurSysteme();
  DcbSauveValide = true;
  if (!Systeme.SetCommState(HandlePort, &DcbApplique)) return ErreurSysteme();
  if (!Systeme.GetCommTimeouts(HandlePort, &DelaisSauves)) return ErreurSysteme();
  DelaisSauvesValides = true;
  if (!Systeme.SetCommTimeouts(HandlePort, &DelaisAppliques)) return ErreurSysteme();
  return Fixer(0);
}

// A restore that fails (the device was unplugged, for one) is reported, but
// the handle is closed all the same: kept open, it would make every later
// Ouvrir fail until the program restarts.
std::int32_t CK02::Fermer() {
  if (HandlePort == os::INVALID_HANDLE_VALUE) {
    Fixer(0);
  } else {
    FinSession();
    std::int32_t code = 0;
    if (DcbSauveValide && !Systeme.SetCommState(HandlePort, &DcbSauve)) {
      code = static_cast<std::int32_t>(Systeme.GetLastError());
    } else if (DelaisSauvesValides && !Systeme.SetCommTimeouts(HandlePort, &DelaisSauves)) {
      code = static_cast<std::int32_t>(Systeme.GetLastError());
    }
    if (!Systeme.CloseHandle(HandlePort)) {
      ErreurSysteme();
    } else {
      Fixer(code);
      HandlePort = os::INVALID_HANDLE_VALUE;
      DcbSauveValide = false;
      DelaisSauvesValides = false;
    }
  }
  Synchronise = 0;
  ModeSession = 0;
  return Resultat;
}

std::int32_t CK02::Purger() {
  if (!PortOuvert()) return Fixer(ERR_PORT_FERME);
  const DWORD tout = os::PURGE_TXABORT | os::PURGE_RXABORT | os::PURGE_TXCLEAR | os::PURGE_RXCLEAR;
  if (!Systeme.PurgeComm(HandlePort, tout)) return ErreurSysteme();
  return Fixer(0);
}

std::int32_t CK02::EcrireOctet(std::int32_t octet) {
  if (!PortOuvert()) return Fixer(ERR_PORT_FERME);
  const auto b = static_cast<std::uint8_t>(octet);
  DWORD ecrits = 0;
  // A write that times out with nothing sent still counts as success: the
  // missing answer shows as ERR_PAS_DE_REPONSE on the read that follows.
  if (!Systeme.WriteFile(HandlePort, &b, 1, &ecrits, nullptr)) return ErreurSysteme();
  return Fixer(0);
}

std::int32_t CK02::LireOctet(std::int32_t& v) {
  if (!PortOuvert()) return Fixer(ERR_PORT_FERME);
  std::uint8_t b = 0;
  DWORD lus = 0;
  if (!Systeme.ReadFile(HandlePort, &b, 1, &lus, nullptr)) return ErreurSysteme();
  if (lus == 0) return Fixer(ERR_PAS_DE_REPONSE);
  v = b;
  return Fixer(0);
}

std::int32_t CK02::FinSession() {
  if (!PortOuvert()) return Fixer(ERR_PORT_FERME);
  if (EcrireOctet(CMD_FIN) != 0) return Resultat;
  std::int32_t reponse = 0;
  if (LireOctet(reponse) != 0) return Resultat;
  Synchronise = 0;
  ModeSession = 0;
  return Fixer(0);
}

// ---- Boot-loader protocol ---------------------------------------------------

// Polls until the boot loader answers REP_PRET or `secondes` have passed.
// Connecter(0) makes a single attempt instead of polling without end: a
// silent device must never hang the caller.
std::int32_t CK02::Connecter(std::int32_t secondes) {
  if (!PortOuvert() && Ouvrir() != 0) return Resultat;
  const DWORD duree = static_cast<DWORD>(std::clamp(secondes, 0, kSecondesMax)) * 1000u;
  const DWORD echeance = Systeme.GetTickCount() + duree;
  Purger();
  Fixer(0);
  std::int32_t derniereReponse = kAucuneReponse;
  bool echeancePassee = false;
  do {
    if (EcrireOctet(CMD_APPEL) != 0) break;
    Systeme.Sleep(10);
    std::int32_t reponse = 0;
    if (LireOctet(reponse) == 0) {
      derniereReponse = reponse;
      if (reponse == REP_DEMANDE_FIN && FinSession() != 0) break;
    } else if (Resultat == ERR_PAS_DE_REPONSE) {
      Fixer(0);
    } else {
      break;
    }
    echeancePassee = Atteint(Systeme.GetTickCount(), echeance);
  } while (!echeancePassee && Resultat == 0 && derniereReponse != REP_PRET);

  if (derniereReponse == REP_PRET) {
    Synchronise = 1;
    return Fixer(0);
  }
  Synchronise = 0;
  if (echeancePassee) Fixer(ERR_PAS_DE_REPONSE);
  return Resultat;
}

// Checks the session and the mode a command needs, then sends its byte.
std::int32_t CK02::Commande(std::uint8_t octet, std::int32_t modeRequis,
                            std::int32_t codeHorsMode) {
  if (Synchronise != 1) return Fixer(ERR_NON_SYNCHRONISE);
  if (modeRequis != kModeQuelconque && ModeSession != modeRequis) return Fixer(codeHorsMode);
  return EcrireOctet(octet);
}

std::int32_t CK02::LireAcquit() {
  std::int32_t reponse = 0;
  if (LireOctet(reponse) != 0) return Resultat;
  return Fixer(reponse == ACQUIT ? 0 : ERR_ACQUITTEMENT);
}

std::int32_t CK02::Deverrouiller() {
  if (Commande(CMD_DEVERROUILLER, kModeQuelconque, 0) != 0) return Resultat;
  if (LireAcquit() != 0) return Resultat;
  ModeSession = 2;
  return Resultat;
}

std::int32_t CK02::LireCodeModele(char (&code)[4]) {
  if (Commande(CMD_LIRE_MODELE, kModeQuelconque, 0) == 0) {
    for (int i = 0; i < 3 && Resultat == 0; ++i) {
      std::int32_t v = 0;
      if (RecevoirOctetHexa(v) == 0) code[i] = static_cast<char>(v & 0xFF);
    }
  }
  code[3] = 0;
  return Resultat;
}

std::int32_t CK02::VerifierModele() {
  char code[4] = {};
  if (LireCodeModele(code) != 0) return Resultat;
  const std::string_view attendu = TableModeles.Codes[static_cast<std::size_t>(IndexModele)];
  return Fixer(std::strcmp(code, attendu.data()) == 0 ? 0 : ERR_MAUVAIS_MODELE);
}

std::int32_t CK02::LireVersionChargeur(std::int32_t& v) {
  if (Commande(CMD_LIRE_VERSION_CHARGEUR, kModeQuelconque, 0) != 0) return Resultat;
  return RecevoirOctetHexa(v);
}

std::int32_t CK02::LireOctetEeprom(std::int32_t adresse, std::int32_t& v) {
  if (Commande(CMD_LIRE_EEPROM, kModeQuelconque, 0) != 0) return Resultat;
  if (EnvoyerOctetHexa(adresse) != 0) return Resultat;
  return RecevoirOctetHexa(v);
}

std::int32_t CK02::EcrireOctetEeprom(std::int32_t adresse, std::int32_t valeur) {
  if (Commande(CMD_ECRIRE_EEPROM, kModeQuelconque, 0) != 0) return Resultat;
  if (EnvoyerOctetHexa(adresse) != 0) return Resultat;
  if (EnvoyerOctetHexa(valeur) != 0) return Resultat;
  return LireAcquit();
}

std::int32_t CK02::LireMotEeprom(std::int32_t adresse, std::int32_t& w) {
  std::int32_t octet = 0;
  if (LireOctetEeprom(adresse, octet) != 0) return Resultat;
  w = octet;
  if (LireOctetEeprom(adresse + 1, octet) != 0) return Resultat;
  w += octet * 256;
  return Resultat;
}

std::int32_t CK02::LireNumeroSerie(std::uint32_t& n) {
  std::int32_t mot = 0;
  if (LireMotEeprom(EEPROM_NUMERO_SERIE, mot) != 0) return Resultat;
  n = static_cast<std::uint32_t>(mot);
  if (LireMotEeprom(EEPROM_NUMERO_SERIE + 2, mot) != 0) return Resultat;
  n += static_cast<std::uint32_t>(mot) * 65536u;
  return Resultat;
}

std::int32_t CK02::LireVersion(std::int32_t& majeure, std::int32_t& mineure) {
  if (LireOctetEeprom(EEPROM_VERSION_MAJEURE, majeure) != 0) return Resultat;
  return LireOctetEeprom(EEPROM_VERSION_MINEURE, mineure);
}

std::int32_t CK02::EcrireVersion(std::int32_t majeure, std::int32_t mineure) {
  if (EcrireOctetEeprom(EEPROM_VERSION_MAJEURE, majeure) != 0) return Resultat;
  return EcrireOctetEeprom(EEPROM_VERSION_MINEURE, mineure);
}

std::int32_t CK02::DemarrerProgrammation() {
  if (Commande(CMD_PROGRAMMER, 2, ERR_NON_DEVERROUILLE) != 0) return Resultat;
  if (LireAcquit() != 0) return Resultat;
  ModeSession = 3;
  return Resultat;
}

// NbEssaisMax is the number of tries in all: a silent device costs one read
// time-out per try, so three tries give up after about 3.3 s.
std::int32_t CK02::EcrireMotProgramme(std::uint32_t adresse, std::uint32_t donnee) {
  if (Synchronise != 1) return Fixer(ERR_NON_SYNCHRONISE);
  if (ModeSession != 3) return Fixer(ERR_HORS_PROGRAMMATION);
  std::int32_t essais = 0;
  do {
    EssaiEcrireMot(adresse, donnee);
    ++essais;
  } while (Resultat != 0 && essais < NbEssaisMax);
  return Resultat;
}

std::int32_t CK02::EssaiEcrireMot(std::uint32_t adresse, std::uint32_t donnee) {
  std::uint32_t adresseHaut = (adresse >> 8) & 0xFF;
  std::uint32_t adresseBas = adresse & 0xFF;
  if (IndexModele != 0) {
    adresseHaut ^= MASQUE_HAUT;
    adresseBas ^= MASQUE_BAS;
  }
  const std::uint32_t donneeHaut = ((donnee >> 8) & 0xFF) ^ MASQUE_HAUT;
  const std::uint32_t donneeBas = (donnee & 0xFF) ^ MASQUE_BAS;
  if (EcrireOctet(CMD_ECRIRE_MOT) != 0) return Resultat;
  for (std::uint32_t octet : {adresseHaut, adresseBas, donneeHaut, donneeBas}) {
    if (EnvoyerOctetHexa(static_cast<std::int32_t>(octet)) != 0) return Resultat;
  }
  return LireAcquit();
}

std::int32_t CK02::LancerApplication() {
  return Commande(CMD_LANCER, 3, ERR_HORS_PROGRAMMATION);
}

std::int32_t CK02::EnvoyerOctetHexa(std::int32_t valeur) {
  if (EcrireOctet(ChiffreHexa(valeur / 16)) != 0) return Resultat;
  return EcrireOctet(ChiffreHexa(valeur % 16));
}

std::int32_t CK02::RecevoirOctetHexa(std::int32_t& v) {
  if (Synchronise != 1) return Fixer(ERR_NON_SYNCHRONISE);
  std::int32_t haut = 0;
  std::int32_t bas = 0;
  if (LireOctet(haut) != 0) return Resultat;
  if (EcrireOctet(ACQUIT) != 0) return Resultat;
  if (LireOctet(bas) != 0) return Resultat;
  if (EcrireOctet(ACQUIT) != 0) return Resultat;
  v = HexaVersOctet(haut, bas);
  return Fixer(0);
}

std::int32_t CK02::HexaVersOctet(std::int32_t haut, std::int32_t bas) {
  auto valeur = [](std::int32_t c) { return c <= 0x39 ? c - 0x30 : c - 0x37; };
  return 16 * valeur(haut) + valeur(bas);
}

const char* CK02::NomModele() const {
  return TableModeles.Noms[static_cast<std::size_t>(IndexModele)].data();
}
