#include "resources/stringtable.h"

#include <QHash>

using namespace Qt::Literals::StringLiterals;

// Texts stand letter for letter as users know them, odd spellings and blanks included.
QString loadString(int id)
{
    static const QHash<int, QString> table = {
        {TabConvert, u" 1 - Convert "_s},
        {TabRename, u" 2 - Rename/Renumber "_s},
        {TabPreferences, u" Preferences "_s},
        {StatusNameStandard, u"Standard line"_s},
        {StatusNameFileType, u"File type error"_s},
        {StatusNameDuplicate, u"Duplicate error"_s},
        {StatusNameCollision, u"Collision error"_s},
        {StatusNameOther, u"Other error"_s},
        {ImageLibraryMissing, u"FreeImage.dll and/or FreeImagePlus.dll missing!"_s},
        {GroupAllImages, u"All images"_s},
        {GroupGifImages, u"GIF images"_s},
        {GroupJpgImages, u"JPEG images"_s},
        {GroupJ2kImages, u"JPEG 2K images"_s},
        {GroupPngImages, u"PNG images"_s},
        {GroupPsdImages, u"PSD images"_s},
        {GroupTifImages, u"TIFF images"_s},
        {GroupRawImages, u"RAW images"_s},
        {GroupWebImages, u"WEBP images"_s},
        {FoldersMustDiffer, u"Origin and destination folders must not be the same!"_s},
        {PreviewError, u"Error !"_s},
        {PreviewIdenticalNames, u"Identical file names (conversion conflicts)"_s},
        {DestinationCollision, u"Collision in destination files."_s},
        {ImageFileError, u"Image file error!"_s},
        {ErrorLoadingImageFile, u"Error loading image file: \r\n"_s},
        {SameNamesPresent, u"Files with same names are present (conflicts in conversion)"_s},
        {QualityBad, u"(bad)"_s},
        {QualityAverage, u"(average)"_s},
        {QualityNormal, u"(normal)"_s},
        {QualityGood, u"(good)"_s},
        {QualitySuperb, u"(superb)"_s},
        {QualityMaximal, u"(maximal)"_s},
        {ConversionNotDone, u"Conversion not done: Conflict in file names"_s},
        {RenameConflicts, u"Conflicts in file names!"_s},
        {RenameAborted, u"File renaming error: aborted!"_s},
        {KilobyteSuffix, u" Kb"_s},
        {RenameFinished, u"End of fle renaming!"_s},
        {ColumnCurrentName, u" Current name "_s},
        {ColumnNewName, u" New name "_s},
        {MakerWebPage, u"https://pelorin.app/"_s},
    };
    return table.value(id);
}
