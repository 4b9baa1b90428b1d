#pragma once

#include <QString>

// Ids of the program's fixed user-visible texts.
enum StringId : int
{
    TabConvert = 130,
    TabRename = 131,
    TabPreferences = 132,
    StatusNameStandard = 134,
    StatusNameFileType = 135,
    StatusNameDuplicate = 136,
    StatusNameCollision = 137,
    StatusNameOther = 138,
    ImageLibraryMissing = 139,
    GroupAllImages = 140,
    GroupGifImages = 141,
    GroupJpgImages = 142,
    GroupJ2kImages = 143,
    GroupPngImages = 144,
    GroupPsdImages = 145,
    GroupTifImages = 146,
    GroupRawImages = 147,
    GroupWebImages = 148,
    FoldersMustDiffer = 149,
    PreviewError = 150,
    PreviewIdenticalNames = 151,
    DestinationCollision = 152,
    ImageFileError = 153,
    ErrorLoadingImageFile = 156,
    SameNamesPresent = 166,
    QualityBad = 172,
    QualityAverage = 173,
    QualityNormal = 174,
    QualityGood = 175,
    QualitySuperb = 176,
    QualityMaximal = 177,
    ConversionNotDone = 178,
    RenameConflicts = 184,
    RenameAborted = 185,
    KilobyteSuffix = 186,
    RenameFinished = 187,
    ColumnCurrentName = 188,
    ColumnNewName = 189,
    MakerWebPage = 190,
};

// The text of a string id; an id with no text gives the empty text.
QString loadString(int id);
