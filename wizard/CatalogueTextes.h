// Every text the main window shows or puts in a dialog, in French and in
// English, picked by the window's language index. Texts are UTF-8; a back
// end that needs another code page converts them at its edge.
#pragma once

#include <array>

struct PaireTexte {
  std::array<const char*, 2> Texte;  // 0 French, 1 English
  const char* operator[](int indexLangue) const { return Texte[static_cast<std::size_t>(indexLangue)]; }
};

enum IndexTexte : int {
  TexteTitreFenetre,
  TexteQuitter,
  TextePrecedent,
  TexteSuivant,
  TexteConnexion,
  TexteAPropos,
  TexteChoixPort,
  TexteEtape,
  TexteTitreAccueil,
  TexteDateMiseAJour,
  TexteBonjour,
  TexteAccueil1,
  TexteAccueil2,
  TexteAccueil3,
  TexteTitrePreparation,
  TextePreparation,
  TexteTitreConnexion,
  TexteConnexionCordon,
  TexteTitreChoixPort,
  TexteChoixPortConsigne,
  TexteTitreVerificationLancement,
  TexteVerifierConnexion,
  TexteApresConnexion,
  TexteCliquerConnexion,
  TexteTitreAttente,
  TexteMettreEnMarche,
  TexteTempsRestant,
  TexteAnnuler,
  TexteTitreVerificationAppareil,
  TexteTypeCorrect,
  TexteNumeroSerie,
  TexteVersionCorrecte,
  TextePreparationTransmission,
  TexteTitreProgrammation,
  TexteAvancement,
  TexteTransmission,
  TexteTitreReussite,
  TexteOui,
  TexteNon,
  TexteAutreAppareil,
  TexteEchecConnexion,
  TexteRefusModele,
  TexteRefusChargeur,
  TexteRefusNumeroSerie,
  TexteDejaAJour,
  TexteVersionPlusRecente,
  TexteErreurTransmission,
  NombreTextes
};

// The technical support's number, quoted in the invalid-serial-number dialog.
#define ZT_TELEPHONE_SUPPORT "+33 1 99 00 12 34"

inline constexpr std::array<PaireTexte, NombreTextes> CatalogueTextes = {{
    {{"Mise à jour du %s", "Update of %s "}},
    {{"&Quitter", "E&xit"}},
    {{"&Précédent", "&Before"}},
    {{"&Suivant", "&Next"}},
    {{"&Connexion", "&Connection"}},
    {{"&A propos", "&About"}},
    {{"Choix du port série", "Choice of the serial port"}},
    {{"Etape n° %i sur %i", "Step n° %i of %i"}},
    {{"Mise à jour de votre %s ", "Update foreword the %s "}},
    {{"Mise à jour du 12/11/2007", ""}},
    {{"Bonjour,", "Hello"}},
    {{"Vous allez effectuer la dernière mise à jour en date sur votre %s.", "%s"}},
    {{"Celle-ci optimise les performances de votre appareil.", ""}},
    {{"Cette mise à jour permet de bénéficier pleinement des dernières évolutions.", ""}},
    {{"Préparation du %s pour la mise à jour", "Preparation of %s for the update"}},
    {{"Connecter le cordon de connexion PC sur votre %s",
      "To connect the serial cable and the pile to %s"}},
    {{"Connexion du %s à l'ordinateur", "Connection of %s with the PC"}},
    {{"Connecter le cordon de connexion à votre ordinateur",
      "To connect the serial cable to computer"}},
    {{"Choix du port de communication", "Choice of the port of communication"}},
    {{"Sélectionner le port série connecté",
      "to choose the serial port according to the connection of the cable to the computer"}},
    {{"Vérification et lancement de la mise à jour.", "Checking and launching of the update "}},
    {{"Vérifier que le %s est bien connecté à l'ordinateur.", "%s"}},
    {{"Après avoir cliqué sur <Connexion> vous pouvez le mettre en marche.", ""}},
    {{"Cliquer sur <Connexion> et mettre en marche le %s.", ""}},
    {{"Attente de la Connexion", "Attent of the Connection"}},
    {{"Mettre en marche le %s", "%s"}},
    {{"Le temps restant pour allumer votre %s est de %.1f s", ""}},
    {{"&Annuler", "&Cancel"}},
    {{"Vérification de l'appareil", "Checking of the device"}},
    {{"Le type de l'appareil est le bon.", ""}},
    {{"Le numéro de série de l'appareil est le : %010lu", ""}},
    {{"", ""}},
    {{"Préparation pour la transmission du programme", ""}},
    {{"Programmation du %s", "Programming of %s"}},
    {{"Avancement de la mise à jour : %.1f %%", ""}},
    {{"Transmission du programme au %s", "%s"}},
    {{"Mise à jour réussie", "Reussi Programming"}},
    {{"&Oui", ""}},
    {{"&Non", ""}},
    {{"Voulez vous faire la mise à jour sur un autre %s ?", "%s"}},
    {{"Echec à la connexion :\n   - Soit le %s n'a pas été connecté à l'ordinateur.\n  - Soit le "
      "%s n'a pas été mis en marche. \n  - Soit le port série sélectionné ne correspond pas au "
      "port connecté.\n\n  Dans ce dernier cas, sélectionner un autre port série dans la liste.\n",
      "%s, %s"}},
    {{"L'appareil n'est pas un %s.\n\nVoulez vous faire la mise à jour sur un autre %s ?",
      "%s, %s"}},
    {{"L'appareil n'est pas pour cette version du %s.\n\nVoulez vous faire la mise à jour sur "
      "un autre %s ?",
      "%s, %s"}},
    {{"Le numéro de série de l'appareil n'est pas valide.\n\nContacter notre service technique "
      "(tél. : " ZT_TELEPHONE_SUPPORT ".\n\nVoulez vous faire la mise à jour sur un autre %s ?",
      "%s"}},
    {{"Votre %s a déjà cette mise à jour.\n\nVoulez vous faire la mise à jour sur un autre %s ?",
      "%s %s"}},
    {{"Votre %s a une mise à jour plus récente.\n\nVoulez vous faire la mise à jour sur un "
      "autre %s ?",
      "%s, %s"}},
    {{"Un Problème de transmission s'est produit.\n\nPour essayer une nouvelle fois, vous devez "
      "d'abord : \n   Déconnecter puis reconnecter la pile et faire une nouvelle tentative.\n\n"
      "Voulez vous essayer de nouveau ?",
      ""}},
}};

#undef ZT_TELEPHONE_SUPPORT
