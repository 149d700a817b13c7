// CK02, the link to the Orvalis boot loader: it owns the serial port and
// speaks the boot loader's byte protocol. Every operation returns a 32-bit
// result code (0, a Windows error code, or one of the ERR_ codes below),
// stores it in Resultat, and stops at its first failing step.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "platform/os/Os.h"

// Result codes of the link's own.
inline constexpr std::int32_t ERR_NON_SYNCHRONISE = 100001;
inline constexpr std::int32_t ERR_PAS_DE_REPONSE = 100002;
inline constexpr std::int32_t ERR_ACQUITTEMENT = 100003;
inline constexpr std::int32_t ERR_NON_DEVERROUILLE = 100004;
inline constexpr std::int32_t ERR_HORS_PROGRAMMATION = 100009;
inline constexpr std::int32_t ERR_PORT_FERME = 100016;
inline constexpr std::int32_t ERR_MAUVAIS_MODELE = 100020;

// Protocol bytes.
inline constexpr std::uint8_t CMD_FIN = 0x04;
inline constexpr std::uint8_t CMD_APPEL = 0x80;
inline constexpr std::uint8_t REP_PRET = 0x81;
inline constexpr std::uint8_t CMD_DEVERROUILLER = 0x83;
inline constexpr std::uint8_t ACQUIT = 0x84;
inline constexpr std::uint8_t REP_DEMANDE_FIN = 0x85;
inline constexpr std::uint8_t CMD_LIRE_MODELE = 0x86;
inline constexpr std::uint8_t CMD_LIRE_VERSION_CHARGEUR = 0x87;
inline constexpr std::uint8_t CMD_LIRE_EEPROM = 0x89;
inline constexpr std::uint8_t CMD_ECRIRE_EEPROM = 0x8B;
inline constexpr std::uint8_t CMD_ECRIRE_MOT = 0x8D;
inline constexpr std::uint8_t CMD_PROGRAMMER = 0x90;
inline constexpr std::uint8_t CMD_LANCER = 0x91;

// Scrambling masks of the program-word write.
inline constexpr std::uint8_t MASQUE_HAUT = 0x4D;
inline constexpr std::uint8_t MASQUE_BAS = 0xA6;

// The device's EEPROM map.
inline constexpr std::int32_t EEPROM_NUMERO_SERIE = 241;
inline constexpr std::int32_t EEPROM_VERSION_MAJEURE = 245;
inline constexpr std::int32_t EEPROM_VERSION_MINEURE = 246;

// Device paths of COM1 to COM10.
inline constexpr std::array<std::string_view, 10> NomsPorts = {
    "\\\\.\\COM1", "\\\\.\\COM2", "\\\\.\\COM3", "\\\\.\\COM4", "\\\\.\\COM5",
    "\\\\.\\COM6", "\\\\.\\COM7", "\\\\.\\COM8", "\\\\.\\COM9", "\\\\.\\COM10"};

// The device family: three-character codes, then display names.
struct TableModeles_t {
  std::array<std::string_view, 3> Codes;
  std::array<std::string_view, 3> Noms;
};
inline constexpr TableModeles_t TableModeles = {{"K01", "K03", "K02"},
                                                {"Orvalis", "Orvalis LX", "Orvalis ZT"}};

class CK02 {
 public:
  explicit CK02(os::Os& systeme = os::Systeme());
  ~CK02();
  CK02(const CK02&) = delete;
  CK02& operator=(const CK02&) = delete;

  // Serial line.
  void ChoisirPort(std::int32_t index);
  std::int32_t Ouvrir();
  std::int32_t Fermer();
  std::int32_t Purger();
  std::int32_t EcrireOctet(std::int32_t octet);
  std::int32_t LireOctet(std::int32_t& v);
  std::int32_t FinSession();
  std::int32_t DerniereErreur() const { return Resultat; }

  // Boot-loader protocol.
  std::int32_t Connecter(std::int32_t secondes);
  std::int32_t Deverrouiller();
  std::int32_t LireCodeModele(char (&code)[4]);
  std::int32_t VerifierModele();
  std::int32_t LireVersionChargeur(std::int32_t& v);
  std::int32_t LireOctetEeprom(std::int32_t adresse, std::int32_t& v);
  std::int32_t EcrireOctetEeprom(std::int32_t adresse, std::int32_t valeur);
  std::int32_t LireMotEeprom(std::int32_t adresse, std::int32_t& w);
  std::int32_t LireNumeroSerie(std::uint32_t& n);
  std::int32_t LireVersion(std::int32_t& majeure, std::int32_t& mineure);
  std::int32_t EcrireVersion(std::int32_t majeure, std::int32_t mineure);
  std::int32_t DemarrerProgrammation();
  std::int32_t EcrireMotProgramme(std::uint32_t adresse, std::uint32_t donnee);
  std::int32_t LancerApplication();
  std::int32_t EnvoyerOctetHexa(std::int32_t valeur);
  std::int32_t RecevoirOctetHexa(std::int32_t& v);
  static std::int32_t HexaVersOctet(std::int32_t haut, std::int32_t bas);
  const char* NomModele() const;

  // State, readable by tests and by the wizard.
  bool PortOuvert() const { return HandlePort != os::INVALID_HANDLE_VALUE; }
  const char* LeNomPort() const { return NomPort; }
  std::int32_t LeSynchronise() const { return Synchronise; }
  std::int32_t LeModeSession() const { return ModeSession; }
  std::int32_t LIndexModele() const { return IndexModele; }
  void ChangerIndexModele(std::int32_t index) { IndexModele = index; }  // tests only: rows 0 and 1

 private:
  static constexpr std::int32_t kModeQuelconque = -1;

  std::int32_t Fixer(std::int32_t code) { return Resultat = code; }
  std::int32_t ErreurSysteme() { return Fixer(static_cast<std::int32_t>(Systeme.GetLastError())); }
  std::int32_t Commande(std::uint8_t octet, std::int32_t modeRequis, std::int32_t codeHorsMode);
  std::int32_t LireAcquit();
  std::int32_t EssaiEcrireMot(std::uint32_t adresse, std::uint32_t donnee);

  os::Os& Systeme;
  os::HANDLE HandlePort;
  os::DCB DcbApplique;
  os::DCB DcbSauve;
  os::COMMTIMEOUTS DelaisAppliques;
  os::COMMTIMEOUTS DelaisSauves;
  char NomPort[20];
  std::int32_t Synchronise;
  std::int32_t ModeSession;
  std::int32_t Resultat;
  std::int32_t NbEssaisMax;
  std::int32_t IndexModele;
  // What the open of the current handle saved: Fermer puts back only that,
  // never zeros or an earlier port's settings.
  bool DcbSauveValide;
  bool DelaisSauvesValides;
};
