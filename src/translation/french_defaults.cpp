#include "translation/french_defaults.h"

namespace korvid::translation {

std::string_view FrenchDefaults()
{
    // No "Language", "CharSet", "FontSize" or "FontFace" here: those come from a file or not
    // at all.
    static constexpr std::string_view Text = R"(frmMain=Korvid

frmMain.tsHisto=Historique
frmMain.sbHistoSort.Hint=Option de tri ...
frmMain.sbHistoWUInfo.Hint=Affichage d'informations supplémentaires sur la WU sélectionnée
frmMain.sbHistoLang.Hint=Langue
frmMain.sbHistoExcel.Hint=Export CSV ...
frmMain.sbHistoSaveBMP.Hint=Export PNG ...
frmMain.sbLoadHisto.Hint=Charger l'historique
frmMain.sbSaveHisto.Hint=Sauvegarder l'historique
frmMain.sbHistoProjects.Hint=Benchmark par projet ...
frmMain.sbDelFromHisto.Hint=Supprimer des WUs de l'historique ...

frmMain.tsFahlog=FahLog
frmMain.tsLive=Direct
frmMain.sbLiveClients=Clients ...
frmMain.sbLiveClients.Hint=Ajouter, renommer ou retirer les clients suivis
frmMain.sbFahlogSort.Hint=Option de tri ...
frmMain.sbFahLogWUInfo.Hint=Affichage d'informations supplémentaires sur la WU sélectionnée
frmMain.sbFahlogLang.Hint=Langue
frmMain.sbFahLogExcel.Hint=Export CSV ...
frmMain.sbFahlogSaveBMP.Hint=Export PNG ...
frmMain.sbLoadFahlog.Hint=Charger un fichier FahLog
frmMain.sbAddToHisto.Hint=Ajouter des WUs à l'historique ...

frmMain.mnuAddWUToHisto=Ajouter cette WU à l'historique
frmMain.mnuAddCompletedWUToHisto=Ajouter les WUs complètes à l'historique
frmMain.mnuAddWUsToHisto=Ajouter toutes les WUs à l'historique

frmMain.mnuDelWUFromHisto=Supprimer cette WU de l'historique
frmMain.mnuDelIncompleteWUFromHisto=Supprimer les WUs incomplètes de l'historique
frmMain.mnuDelWUsFromHisto=Supprimer toutes les WUs de l'historique

frmMain.mnuSortByProject=Tri par projet
frmMain.mnuSortByDate=Tri par date

frmMain.mnuExcelWU=Exporter cette WU en .csv
frmMain.mnuExcelComplete=Exporter les WUs complètes en .csv
frmMain.mnuExcelWUs=Exporter toutes les WUs en .csv

frmMain.mnuBitmapWU=Sauver le graphe de cette WU en .png
frmMain.mnuBitmapComplete=Sauver le graphe des WUs complètes en .png
frmMain.mnuBitmapWUs=Sauver le graphe de toutes les WUs en .png

frmMain.mnuLivePause=Pause
frmMain.mnuLiveFold=Calculer
frmMain.mnuLiveFinish=Terminer

msgFilterFAH=Fichiers de traces F@H (Fahlog*.txt, log*.txt)
msgFilterAll=Tous les fichiers (*.*)
msgWUInHistory=Cette WU existe déjà dans l'historique !
msgWUIncomplete=Cette WU n'est pas complète. Souhaitez-vous l'ajouter à l'historique malgré tout ?
msgProject=Projet
msgProtein=Protéine
msgRun=Run
msgClone=Clone
msgGen=Gen
msgCore=Core
msgStartDate=Date début
msgEndDate=Date fin
msgExpectedFrames=Frames attendues
msgFoldedFrames=Frames pliées
msgBenchmark=Benchmark (temps moyen)
msgValidity=Validité du benchmark
msgUsername=Compte
msgUserID=User ID
msgMachineID=MachineID
msgTeam=Equipe
msgLogPath=Chemin du fichier de log
msgAxisX=Frame
msgAxisY=Temps (mn)
msgWUAdded=%d WU a été ajoutée à l'historique
msgWUsAdded=%d WUs ont été ajoutées à l'historique
msgWUDeleted=%d WU a été supprimée de l'historique
msgWUsDeleted=%d WUs ont été supprimées de l'historique
msgElapsedTime=Temps écoulé
msgCalculationTime=Temps de calcul
msgLineSkipped=%d ligne de %s contient une valeur illisible, qui a été ignorée
msgLinesSkipped=%d lignes de %s contiennent des valeurs illisibles, qui ont été ignorées
msgHistoOverwrite=Le fichier d'historique %s n'a pas pu être lu en entier. Le remplacer par l'historique affiché ?
msgStartUp=Démarrage de Korvid
msgOutOfMemory=%s : la mémoire ne suffit pas, l'opération a été abandonnée.
msgFileFailed=%s : échec sur le fichier %s
msgInternalError=%s : une erreur interne a interrompu l'opération.
msgHistoNotSaved=L'historique n'a pas pu être sauvegardé dans %s : %s. Garder la fenêtre ouverte, pour supprimer ou exporter des WUs d'abord ?
msgHistoFull=%d WU(s) non ajoutée(s) : l'historique contiendrait %d octets, plus que les %d que le fichier d'historique %s peut contenir. Supprimez ou exportez des WUs d'abord.
msgDurYear=%d an
msgDurYears=%d ans
msgDurDay=%d j.
msgDurHour=%d h.
msgDurMinute=%d mn.
msgDurSecond=%d sec.
msgRemainingTime=Temps restant
msgExpectedEnd=Fin prévue
msgBenchUnits=WUs
msgBenchBest=Meilleur benchmark
msgBenchAverage=Benchmark moyen
msgBenchWorst=Pire benchmark
msgBenchLastDate=Dernière WU
msgProjectsTitle=Benchmark par projet
msgExportTable=Exporter en .csv
msgChartHint=Bouton gauche maintenu : lecture d'une frame ; Ctrl + glisser : zoom ; Ctrl + clic : taille normale
msgLegendConverged=Fin de convergence
msgLegendRestart=Redémarrage du client
msgFileWritten=%d fichier écrit : %s
msgFilesWritten=%d fichiers écrits dans %s
msgOpenFolder=Ouvrir le dossier
msgClose=Fermer
msgBenchAxisX=Jours depuis la première WU
msgClientMachine=Machine
msgClientCredit=Crédit (estimation du client)
msgClientPpd=PPD (client)
msgClientPartial=Partielle : le journal du client n'en avait plus les premières lignes
msgBenchPpd=PPD moyen
msgLiveMachine=Machine
msgLiveGroup=Groupe
msgLiveUnit=WU
msgLiveStatus=État
msgLiveStatusASSIGN=Attribution
msgLiveStatusDOWNLOAD=Téléchargement
msgLiveStatusCORE=Cœur
msgLiveStatusRUN=En cours
msgLiveStatusFINISH=Se termine
msgLiveStatusUPLOAD=Envoi
msgLiveStatusWAIT=En attente
msgLiveStatusPAUSE=En pause
msgLiveStatusDUMP=Abandon en cours
msgLiveStatusDUMPED=Abandonnée
msgLiveStatusEXPIRED=Expirée
msgLiveStatusABORTED=Annulée
msgLiveStatusMISSING=Données manquantes
msgLiveStatusRETRIES=Trop de tentatives
msgLiveStatusFAILED=Échouée
msgLiveStatusREJECTED=Rejetée
msgLiveStatusCREDITED=Créditée
msgLiveProgress=Progression
msgLiveTpf=TPF
msgLiveEta=Fin dans
msgLivePpd=PPD
msgLiveCredit=Crédit de base
msgLiveDeadline=Échéance
msgLiveCreditEstimate=Crédit (estimation du client)
msgLiveUnitGone=N'est plus sur le client
msgLiveTotal=Toutes les machines
msgLiveConnecting=Connexion
msgLiveConnected=Connecté, client %s
msgLiveReconnecting=Reconnexion dans %d s (%s)
msgLiveRefused=Refusé : le client %s est trop ancien pour être suivi
msgLiveBadEntry=Pas un client : écrire hôte, hôte:port ou hôte:port=nom dans Clients
msgClientsTitle=Clients suivis
msgClientsHost=Hôte
msgClientsPort=Port
msgClientsName=Nom
msgClientsAdd=Ajouter
msgClientsRemove=Retirer
msgClientsOk=OK
msgClientsCancel=Annuler
msgClientsHelpLocal=Un client sur cette machine écoute sur 127.0.0.1:7396 et n'admet que 127.0.0.1 : il n'y a rien à changer. Donnez un nom à un client pour l'afficher sous ce nom.
msgClientsHelpRemote=Pour suivre un client sur une autre machine, changez deux options dans le config.xml de ce client (ou sur sa ligne de commande), puis redémarrez-le : http-addresses, où il écoute, de 127.0.0.1:7396 à une adresse que cette machine atteint (par exemple 0.0.0.0:7396) ; et allow, qui peut se connecter, de 127.0.0.1 à 127.0.0.1 suivi de l'adresse ou du réseau de cette machine (par exemple 127.0.0.1 192.168.1.0/24), en gardant deny à 0/0. Qui est admis peut aussi commander le client, sans mot de passe : ne le faites que sur un réseau de confiance.
msgClientsHelpTunnel=Ou laissez le client tel quel et ouvrez un tunnel SSH depuis cette machine, par exemple ssh -N -L 7397:127.0.0.1:7396 utilisateur@machine, puis ajoutez 127.0.0.1 avec le port 7397.
msgClientsBadHost=Ligne %d : « %s » n'est ni un nom d'hôte ni une adresse IPv4
msgClientsBadPort=Ligne %d : « %s » n'est pas un port de 1 à 65535
msgClientsBadName=Ligne %d : le nom « %s » ne peut contenir ni virgule ni point-virgule
msgClientsTwice=Ligne %d : %s est déjà dans la liste
msgClientsUnsaved=Les clients sont suivis, mais le fichier de réglages %s n'a pas pu être lu : la liste n'y a pas été enregistrée.
msgLiveAskPause=Mettre en pause tous les groupes de %s ?
msgLiveAskPauseGroup=Mettre en pause le groupe %s de %s ?
msgLiveAskFold=Reprendre le calcul dans tous les groupes de %s ?
msgLiveAskFoldGroup=Reprendre le calcul dans le groupe %s de %s ?
msgLiveAskFinish=Terminer les WUs en cours de tous les groupes de %s, puis mettre en pause ?
msgLiveAskFinishGroup=Terminer les WUs en cours du groupe %s de %s, puis mettre en pause ?
msgLiveDefaultGroup=(par défaut)
msgLiveNotSent=%s n'accepte aucune commande en ce moment : rien n'a été envoyé.
msgLiveUnreachable=%s est injoignable (%s)
msgLiveNoCredit=%s : la WU%d du projet %d s'est terminée sans crédit (%s)
)";
    return Text;
}

} // namespace korvid::translation
