<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr">
<context>
    <name>CAboutDlg</name>
    <message>
        <source>About Pelorin</source>
        <translation>À propos de Pelorin</translation>
    </message>
    <message>
        <source>Batch convert, resize, reorder, rename a set of picture files.</source>
        <translation>Convertir, redimensionner, réordonner et renommer des séries de fichiers image.</translation>
    </message>
    <message>
        <source>Conversions are based on the FreeImage library:</source>
        <translation>Les conversions reposent sur la bibliothèque FreeImage :</translation>
    </message>
    <message>
        <source>Free software: GNU GPL version 3 or later.</source>
        <translation>Logiciel libre : GNU GPL version 3 ou ultérieure.</translation>
    </message>
</context>
<context>
    <name>CConvertCtrl</name>
    <message>
        <source>Convert</source>
        <translation>Convertir</translation>
    </message>
    <message>
        <source>From Folder:</source>
        <translation>Dossier source :</translation>
    </message>
    <message>
        <source>Destination :</source>
        <translation>Destination :</translation>
    </message>
    <message>
        <source>File name filter:</source>
        <translation>Filtre de nom :</translation>
    </message>
    <message>
        <source>(without extension)</source>
        <translation>(sans extension)</translation>
    </message>
    <message>
        <source>Replace files</source>
        <translation>Remplacer les fichiers</translation>
    </message>
    <message>
        <source>Pictures to convert</source>
        <translation>Images à convertir</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Aperçu</translation>
    </message>
    <message>
        <source>Number of images :</source>
        <translation>Nombre d&apos;images :</translation>
    </message>
    <message>
        <source>View logfile</source>
        <translation>Voir le journal</translation>
    </message>
    <message>
        <source>Convert image</source>
        <translation>Convertir l&apos;image</translation>
    </message>
    <message>
        <source>Convert all</source>
        <translation>Tout convertir</translation>
    </message>
    <message>
        <source>Input format</source>
        <translation>Format d&apos;entrée</translation>
    </message>
    <message>
        <source>Convert to format :</source>
        <translation>Convertir au format :</translation>
    </message>
    <message>
        <source>Grayscale</source>
        <translation>Niveaux de gris</translation>
    </message>
    <message>
        <source>Delete metadata</source>
        <translation>Supprimer les métadonnées</translation>
    </message>
    <message>
        <source>Jpeg quality:</source>
        <translation>Qualité JPEG :</translation>
    </message>
    <message>
        <source>darker</source>
        <translation>sombre</translation>
    </message>
    <message>
        <source>RAW</source>
        <translation>RAW</translation>
    </message>
    <message>
        <source>lighter</source>
        <translation>clair</translation>
    </message>
    <message>
        <source>RAW brightness</source>
        <translation>Luminosité RAW</translation>
    </message>
    <message>
        <source>Resize</source>
        <translation>Redimensionner</translation>
    </message>
    <message>
        <source>Width</source>
        <translation>Largeur</translation>
    </message>
    <message>
        <source>Height</source>
        <translation>Hauteur</translation>
    </message>
    <message>
        <source>Small side</source>
        <translation>Petit côté</translation>
    </message>
    <message>
        <source>Large side</source>
        <translation>Grand côté</translation>
    </message>
    <message>
        <source>Resize pixels</source>
        <translation>Taille en pixels</translation>
    </message>
    <message>
        <source>pixels</source>
        <translation>pixels</translation>
    </message>
</context>
<context>
    <name>CMainDlg</name>
    <message>
        <source>Quit</source>
        <translation>Quitter</translation>
    </message>
    <message>
        <source>Pages</source>
        <translation>Pages</translation>
    </message>
    <message>
        <source>About...</source>
        <translation>À propos...</translation>
    </message>
</context>
<context>
    <name>CPrefsCtrl</name>
    <message>
        <source>Preferences</source>
        <translation>Préférences</translation>
    </message>
    <message>
        <source>Extensions for input file formats:</source>
        <translation>Extensions des formats d&apos;entrée :</translation>
    </message>
    <message>
        <source>Caution: format file extensions are not checked.</source>
        <translation>Attention : les extensions ne sont pas vérifiées.</translation>
    </message>
    <message>
        <source>GIF images:</source>
        <translation>Images GIF :</translation>
    </message>
    <message>
        <source>JPEG images:</source>
        <translation>Images JPEG :</translation>
    </message>
    <message>
        <source>JPG2K images:</source>
        <translation>Images JPG2K :</translation>
    </message>
    <message>
        <source>PNG images:</source>
        <translation>Images PNG :</translation>
    </message>
    <message>
        <source>PSD images:</source>
        <translation>Images PSD :</translation>
    </message>
    <message>
        <source>TIFF images:</source>
        <translation>Images TIFF :</translation>
    </message>
    <message>
        <source>RAW images:</source>
        <translation>Images RAW :</translation>
    </message>
    <message>
        <source>WEBP images:</source>
        <translation>Images WEBP :</translation>
    </message>
    <message>
        <source>* : Multipage not supported for these formats.</source>
        <translation>* : fichiers multipages non pris en charge dans ces formats.</translation>
    </message>
    <message>
        <source>Restore default values</source>
        <translation>Rétablir les valeurs par défaut</translation>
    </message>
    <message>
        <source>Colors</source>
        <translation>Couleurs</translation>
    </message>
    <message>
        <source>Standard line</source>
        <translation>Ligne normale</translation>
    </message>
    <message>
        <source>Image format error</source>
        <translation>Erreur de format d&apos;image</translation>
    </message>
    <message>
        <source>Dupilcate names</source>
        <translation>Noms en double</translation>
    </message>
    <message>
        <source>Collision error</source>
        <translation>Erreur de collision</translation>
    </message>
    <message>
        <source>Other errors</source>
        <translation>Autres erreurs</translation>
    </message>
    <message>
        <source>Color...</source>
        <translation>Couleur...</translation>
    </message>
    <message>
        <source>Not selected line</source>
        <translation>Ligne non sélectionnée</translation>
    </message>
    <message>
        <source>Selected line</source>
        <translation>Ligne sélectionnée</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Enregistrer</translation>
    </message>
</context>
<context>
    <name>CRenumCtrl</name>
    <message>
        <source>Rename/Renumber</source>
        <translation>Renommer/Renuméroter</translation>
    </message>
    <message>
        <source>Folder:</source>
        <translation>Dossier :</translation>
    </message>
    <message>
        <source>Filter:</source>
        <translation>Filtre :</translation>
    </message>
    <message>
        <source>Filters separated by &apos;;&apos; (eg: &quot;img*.jpg;doc*.pdf&quot;)</source>
        <translation>Filtres séparés par &apos;;&apos; (ex. : &quot;img*.jpg;doc*.pdf&quot;)</translation>
    </message>
    <message>
        <source>Files to rename</source>
        <translation>Fichiers à renommer</translation>
    </message>
    <message>
        <source>Number of files:</source>
        <translation>Fichiers :</translation>
    </message>
    <message>
        <source>New name:</source>
        <translation>Nouveau nom :</translation>
    </message>
    <message>
        <source>digits number</source>
        <translation>chiffres</translation>
    </message>
    <message>
        <source>Start at n°</source>
        <translation>À partir du n°</translation>
    </message>
    <message>
        <source>Renumber</source>
        <translation>Renuméroter</translation>
    </message>
    <message>
        <source>File icon or Image preview</source>
        <translation>Icône du fichier ou aperçu de l&apos;image</translation>
    </message>
    <message>
        <source>File icon or
Image preview</source>
        <translation>Icône du fichier
ou aperçu</translation>
    </message>
    <message>
        <source>File size</source>
        <translation>Taille du fichier</translation>
    </message>
    <message>
        <source>Kb</source>
        <translation>Ko</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>Converts, resizes and rotates whole folders of pictures, and renumbers them.</source>
        <translation>Convertit, redimensionne et tourne des dossiers entiers d&apos;images, puis les renumérote.</translation>
    </message>
    <message>
        <source>The source folder to open; a file opens its folder.</source>
        <translation>Le dossier source à ouvrir ; un fichier ouvre son dossier.</translation>
    </message>
    <message>
        <source>Usage: pelorin [options] [FOLDER]</source>
        <translation>Utilisation : pelorin [options] [DOSSIER]</translation>
    </message>
    <message>
        <source>Only one folder can be opened.</source>
        <translation>Un seul dossier peut être ouvert.</translation>
    </message>
    <message>
        <source>Try &apos;pelorin --help&apos; for more information.</source>
        <translation>Essayez « pelorin --help » pour plus d&apos;informations.</translation>
    </message>
    <message>
        <source>No such folder or file: %1</source>
        <translation>Dossier ou fichier introuvable : %1</translation>
    </message>
</context>
<context>
    <name>StringTable</name>
    <message>
        <source> 1 - Convert </source>
        <translation> 1 - Convertir </translation>
    </message>
    <message>
        <source> 2 - Rename/Renumber </source>
        <translation> 2 - Renommer/Renuméroter </translation>
    </message>
    <message>
        <source> Preferences </source>
        <translation> Préférences </translation>
    </message>
    <message>
        <source>Standard line</source>
        <translation>Ligne normale</translation>
    </message>
    <message>
        <source>File type error</source>
        <translation>Erreur de type de fichier</translation>
    </message>
    <message>
        <source>Duplicate error</source>
        <translation>Erreur de doublon</translation>
    </message>
    <message>
        <source>Collision error</source>
        <translation>Erreur de collision</translation>
    </message>
    <message>
        <source>Other error</source>
        <translation>Autre erreur</translation>
    </message>
    <message>
        <source>FreeImage.dll and/or FreeImagePlus.dll missing!</source>
        <translation>FreeImage.dll et/ou FreeImagePlus.dll manquant !</translation>
    </message>
    <message>
        <source>All images</source>
        <translation>Toutes les images</translation>
    </message>
    <message>
        <source>GIF images</source>
        <translation>Images GIF</translation>
    </message>
    <message>
        <source>JPEG images</source>
        <translation>Images JPEG</translation>
    </message>
    <message>
        <source>JPEG 2K images</source>
        <translation>Images JPEG 2K</translation>
    </message>
    <message>
        <source>PNG images</source>
        <translation>Images PNG</translation>
    </message>
    <message>
        <source>PSD images</source>
        <translation>Images PSD</translation>
    </message>
    <message>
        <source>TIFF images</source>
        <translation>Images TIFF</translation>
    </message>
    <message>
        <source>RAW images</source>
        <translation>Images RAW</translation>
    </message>
    <message>
        <source>WEBP images</source>
        <translation>Images WEBP</translation>
    </message>
    <message>
        <source>Origin and destination folders must not be the same!</source>
        <translation>Les dossiers source et destination doivent être différents !</translation>
    </message>
    <message>
        <source>Error !</source>
        <translation>Erreur !</translation>
    </message>
    <message>
        <source>Identical file names (conversion conflicts)</source>
        <translation>Noms de fichier identiques (conflits de conversion)</translation>
    </message>
    <message>
        <source>Collision in destination files.</source>
        <translation>Collision dans les fichiers de destination.</translation>
    </message>
    <message>
        <source>Image file error!</source>
        <translation>Erreur de fichier image !</translation>
    </message>
    <message>
        <source>Error loading image file: <byte value="xd"/>
</source>
        <translation>Erreur au chargement du fichier image : <byte value="xd"/>
</translation>
    </message>
    <message>
        <source>Files with same names are present (conflicts in conversion)</source>
        <translation>Des fichiers portent le même nom (conflits de conversion)</translation>
    </message>
    <message>
        <source>(bad)</source>
        <translation>(mauvaise)</translation>
    </message>
    <message>
        <source>(average)</source>
        <translation>(moyenne)</translation>
    </message>
    <message>
        <source>(normal)</source>
        <translation>(normale)</translation>
    </message>
    <message>
        <source>(good)</source>
        <translation>(bonne)</translation>
    </message>
    <message>
        <source>(superb)</source>
        <translation>(excellente)</translation>
    </message>
    <message>
        <source>(maximal)</source>
        <translation>(maximale)</translation>
    </message>
    <message>
        <source>Conversion not done: Conflict in file names</source>
        <translation>Conversion non effectuée : conflit de noms de fichier</translation>
    </message>
    <message>
        <source>Conflicts in file names!</source>
        <translation>Conflits de noms de fichier !</translation>
    </message>
    <message>
        <source>File renaming error: aborted!</source>
        <translation>Erreur de renommage : opération abandonnée !</translation>
    </message>
    <message>
        <source> Kb</source>
        <translation> Ko</translation>
    </message>
    <message>
        <source>End of fle renaming!</source>
        <translation>Renommage terminé !</translation>
    </message>
    <message>
        <source> Current name </source>
        <translation> Nom actuel </translation>
    </message>
    <message>
        <source> New name </source>
        <translation> Nouveau nom </translation>
    </message>
    <message>
        <source>https://pelorin.app/</source>
        <translation>https://pelorin.app/</translation>
    </message>
    <message>
        <source>Choose an image to convert.</source>
        <translation>Choisissez une image à convertir.</translation>
    </message>
    <message>
        <source>Converting  </source>
        <translation>Conversion de  </translation>
    </message>
    <message>
        <source>Loading </source>
        <translation>Chargement de </translation>
    </message>
    <message>
        <source>End of conversion!</source>
        <translation>Conversion terminée !</translation>
    </message>
    <message>
        <source>.</source>
        <translation>.</translation>
    </message>
    <message>
        <source> : Files have been skipped (see log).</source>
        <translation> : des fichiers ont été ignorés (voir le journal).</translation>
    </message>
    <message>
        <source> : The log %1 could not be written: %2.</source>
        <translation> : le journal %1 n&apos;a pas pu être écrit : %2.</translation>
    </message>
    <message>
        <source> : Files have been skipped, and the log %1 could not be written: %2.</source>
        <translation> : des fichiers ont été ignorés, et le journal %1 n&apos;a pas pu être écrit : %2.</translation>
    </message>
    <message>
        <source> *** Save image error</source>
        <translation> *** Erreur d&apos;enregistrement de l&apos;image</translation>
    </message>
    <message>
        <source>Original image error: </source>
        <translation>Erreur dans l&apos;image d&apos;origine : </translation>
    </message>
    <message>
        <source>Raw image tone mapping error</source>
        <translation>Erreur du mappage tonal de l&apos;image RAW</translation>
    </message>
    <message>
        <source>Image resizing error.</source>
        <translation>Erreur de redimensionnement de l&apos;image.</translation>
    </message>
    <message>
        <source>Grayscale error.</source>
        <translation>Erreur de conversion en niveaux de gris.</translation>
    </message>
    <message>
        <source>the destination is the source file itself</source>
        <translation>la destination est le fichier source lui-même</translation>
    </message>
    <message>
        <source>the picture is too large to convert (%1 × %2 pixels)</source>
        <translation>l&apos;image est trop grande pour être convertie (%1 × %2 pixels)</translation>
    </message>
    <message>
        <source>a folder, not a file</source>
        <translation>un dossier, pas un fichier</translation>
    </message>
    <message>
        <source>not a regular file (a pipe, device or socket)</source>
        <translation>pas un fichier ordinaire (tube, périphérique ou socket)</translation>
    </message>
    <message>
        <source>the conversion helper is still busy with another picture</source>
        <translation>l&apos;assistant de conversion est encore occupé par une autre image</translation>
    </message>
    <message>
        <source>the conversion helper pelorin-worker does not match this version of Pelorin</source>
        <translation>l&apos;assistant de conversion pelorin-worker ne correspond pas à cette version de Pelorin</translation>
    </message>
    <message>
        <source>the image library failed on this file (damaged or unsupported)</source>
        <translation>la bibliothèque d&apos;images a échoué sur ce fichier (endommagé ou non pris en charge)</translation>
    </message>
    <message>
        <source>the conversion took too long and was stopped</source>
        <translation>la conversion a pris trop de temps et a été arrêtée</translation>
    </message>
    <message>
        <source>the conversion helper pelorin-worker could not be started</source>
        <translation>l&apos;assistant de conversion pelorin-worker n&apos;a pas pu être lancé</translation>
    </message>
    <message>
        <source>the conversion was stopped</source>
        <translation>la conversion a été arrêtée</translation>
    </message>
    <message>
        <source>the conversion helper was stopped by the system</source>
        <translation>l&apos;assistant de conversion a été arrêté par le système</translation>
    </message>
    <message>
        <source>the conversion helper received a damaged request</source>
        <translation>l&apos;assistant de conversion a reçu une requête endommagée</translation>
    </message>
    <message>
        <source>The preferences could not be saved to %1: %2.</source>
        <translation>Les préférences n&apos;ont pas pu être enregistrées dans %1 : %2.</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Arrêter</translation>
    </message>
    <message>
        <source>Progress</source>
        <translation>Progression</translation>
    </message>
    <message>
        <source>Stop the run: the pictures being converted get two seconds to finish</source>
        <translation>Arrêter le traitement : les images en cours de conversion ont deux secondes pour se terminer</translation>
    </message>
    <message>
        <source>Version ß %1.%2.%3 (%4)</source>
        <translation>Version ß %1.%2.%3 (%4)</translation>
    </message>
    <message>
        <source>Version %1.%2.%3</source>
        <translation>Version %1.%2.%3</translation>
    </message>
    <message>
        <source>Version %1.%2</source>
        <translation>Version %1.%2</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>État</translation>
    </message>
    <message>
        <source>Choose source folder</source>
        <translation>Choisir le dossier source</translation>
    </message>
    <message>
        <source>Choose destination folder</source>
        <translation>Choisir le dossier de destination</translation>
    </message>
    <message>
        <source>Choose folder</source>
        <translation>Choisir le dossier</translation>
    </message>
    <message>
        <source>Turn clockwise</source>
        <translation>Tourner dans le sens des aiguilles d&apos;une montre</translation>
    </message>
    <message>
        <source>Turn counterclockwise</source>
        <translation>Tourner dans le sens inverse des aiguilles d&apos;une montre</translation>
    </message>
    <message>
        <source>cannot be read</source>
        <translation>illisible</translation>
    </message>
    <message>
        <source>duplicate name</source>
        <translation>nom en double</translation>
    </message>
    <message>
        <source>exists in destination</source>
        <translation>existe dans la destination</translation>
    </message>
    <message>
        <source>name conflict</source>
        <translation>conflit de noms</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>RAW : %1</source>
        <translation>RAW : %1</translation>
    </message>
    <message>
        <source>Open destination folder</source>
        <translation>Ouvrir le dossier de destination</translation>
    </message>
    <message>
        <source>No program could open the log file %1.</source>
        <translation>Aucun programme n&apos;a pu ouvrir le fichier journal %1.</translation>
    </message>
    <message>
        <source>No program could open the folder %1.</source>
        <translation>Aucun programme n&apos;a pu ouvrir le dossier %1.</translation>
    </message>
    <message>
        <source>the size of the picture cannot be read without decoding it (damaged or unsupported header)</source>
        <translation>la taille de l’image ne peut pas être lue sans la décoder (en-tête endommagé ou non pris en charge)</translation>
    </message>
    <message>
        <source>the file is cut short: it ends before the picture its header describes</source>
        <translation>le fichier est tronqué : il se termine avant l’image que décrit son en-tête</translation>
    </message>
    <message>
        <source>this disk does not allow this file name</source>
        <translation>ce disque n’accepte pas ce nom de fichier</translation>
    </message>
    <message>
        <source>this disk does not allow this name or this change</source>
        <translation>ce disque n’accepte pas ce nom ou cette modification</translation>
    </message>
    <message>
        <source>this disk does not allow this kind of change</source>
        <translation>ce disque n’accepte pas ce type de modification</translation>
    </message>
    <message>
        <source>a file with this name already exists</source>
        <translation>un fichier de ce nom existe déjà</translation>
    </message>
    <message>
        <source>a file with this name already exists (this disk may not tell capital from small letters)</source>
        <translation>un fichier de ce nom existe déjà (ce disque ne distingue peut-être pas majuscules et minuscules)</translation>
    </message>
    <message>
        <source>%1 could not be renamed to %2: %3.</source>
        <translation>%1 n’a pas pu être renommé en %2 : %3.</translation>
    </message>
    <message>
        <source>The folder %1 could not be opened: %2.</source>
        <translation>Le dossier %1 n’a pas pu être ouvert : %2.</translation>
    </message>
    <message>
        <source>the destination file is write-protected</source>
        <translation>le fichier de destination est protégé en écriture</translation>
    </message>
    <message>
        <source>one name on the destination disk, which ignores case</source>
        <translation>un seul nom sur le disque de destination, qui ignore la casse</translation>
    </message>
    <message>
        <source>Files whose names differ only in case are present: the destination disk takes them for one name (conflicts in conversion)</source>
        <translation>Des fichiers dont les noms ne diffèrent que par la casse sont présents : le disque de destination les prend pour un seul nom (conflits de conversion)</translation>
    </message>
    <message>
        <source>the destination folder did not answer in time</source>
        <translation>le dossier de destination n’a pas répondu à temps</translation>
    </message>
    <message>
        <source>the source&apos;s metadata is damaged</source>
        <translation>les métadonnées de la source sont endommagées</translation>
    </message>
    <message>
        <source>its EXIF block is larger than the output format can hold</source>
        <translation>son bloc EXIF est plus grand que ce que le format de sortie peut contenir</translation>
    </message>
    <message>
        <source>the output format cannot hold it</source>
        <translation>le format de sortie ne peut pas les contenir</translation>
    </message>
    <message>
        <source>Keep file dates</source>
        <translation>Garder les dates</translation>
    </message>
    <message>
        <source> Date taken </source>
        <translation> Date de prise de vue </translation>
    </message>
    <message>
        <source>file date, no date taken in the file</source>
        <translation>date du fichier, le fichier ne dit pas quand la photo a été prise</translation>
    </message>
    <message>
        <source>Sorted by date taken, oldest first</source>
        <translation>Trié par date de prise de vue, la plus ancienne d’abord</translation>
    </message>
    <message>
        <source>Sorted by date taken, newest first</source>
        <translation>Trié par date de prise de vue, la plus récente d’abord</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>Give the files of this folder&apos;s last renumber their earlier names back (Ctrl+Z)</source>
        <translation>Redonner aux fichiers de la dernière renumérotation de ce dossier leurs noms d’avant (Ctrl+Z)</translation>
    </message>
    <message>
        <source>The renumber did not start: its record, which Undo needs, could not be written (%1).</source>
        <translation>La renumérotation n’a pas commencé : son relevé, dont Annuler a besoin, n’a pas pu être écrit (%1).</translation>
    </message>
    <message>
        <source>Undo: %1 of %2 files have their earlier names back.</source>
        <translation>Annuler : %1 fichiers sur %2 ont retrouvé leur nom d’avant.</translation>
    </message>
    <message>
        <source>Changed since the renumber, and so left alone: %1</source>
        <translation>Modifiés depuis la renumérotation, donc laissés tels quels : %1</translation>
    </message>
    <message>
        <source>A renumber of the folder %1 was interrupted: %2 of its %3 files have their new names. Finish the renumber, or undo the part that was done?</source>
        <translation>Une renumérotation du dossier %1 a été interrompue : %2 de ses %3 fichiers ont leur nouveau nom. Terminer la renumérotation, ou annuler la partie faite ?</translation>
    </message>
    <message>
        <source>Finish</source>
        <translation>Terminer</translation>
    </message>
    <message>
        <source>Later</source>
        <translation>Plus tard</translation>
    </message>
    <message>
        <source>The interrupted renumber of %1 is finished: %2 more files renamed.</source>
        <translation>La renumérotation interrompue de %1 est terminée : %2 fichiers de plus renommés.</translation>
    </message>
    <message>
        <source>The interrupted renumber of %1 is undone: %2 files have their earlier names back.</source>
        <translation>La renumérotation interrompue de %1 est annulée : %2 fichiers ont retrouvé leur nom d’avant.</translation>
    </message>
    <message>
        <source>The record of this renumber could not be updated, so Undo is not offered (%1).</source>
        <translation>Le relevé de cette renumérotation n’a pas pu être mis à jour ; Annuler n’est donc pas proposé (%1).</translation>
    </message>
    <message>
        <source>%1 and %2 more</source>
        <translation>%1 et %2 autres</translation>
    </message>
    <message>
        <source>Files are numbered in list order. Move the selected file with Alt+Up and Alt+Down or by dragging; Alt+S sorts by current name and Alt+D by date taken (again: the reverse order); Delete takes the file out of the list.</source>
        <translation>Les fichiers sont numérotés dans l’ordre de la liste. Déplacez le fichier sélectionné avec Alt+Haut et Alt+Bas ou en le faisant glisser ; Alt+S trie par nom actuel et Alt+D par date de prise de vue (une seconde fois : dans l&apos;ordre inverse) ; Suppr retire le fichier de la liste.</translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <translation>%1 sur %2</translation>
    </message>
    <message>
        <source>Turned %1° clockwise</source>
        <translation>Tournée de %1° dans le sens des aiguilles d’une montre</translation>
    </message>
    <message>
        <source>Not turned</source>
        <translation>Non tournée</translation>
    </message>
    <message>
        <source>The changes on the Preferences page are not saved. Save them before quitting, or discard them?</source>
        <translation>Les modifications de la page Préférences ne sont pas enregistrées. Les enregistrer avant de quitter, ou les abandonner ?</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Enregistrer</translation>
    </message>
    <message>
        <source>Discard</source>
        <translation>Abandonner</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>%1 moved to position %2 of %3</source>
        <translation>%1 déplacé en position %2 sur %3</translation>
    </message>
    <message>
        <source>sorted, ascending</source>
        <translation>trié, ordre croissant</translation>
    </message>
    <message>
        <source>sorted, descending</source>
        <translation>trié, ordre décroissant</translation>
    </message>
    <message>
        <source>Sorted by current name, A to Z</source>
        <translation>Trié par nom actuel, de A à Z</translation>
    </message>
    <message>
        <source>Sorted by current name, Z to A</source>
        <translation>Trié par nom actuel, de Z à A</translation>
    </message>
</context>
</TS>
