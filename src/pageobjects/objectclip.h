// Copying page objects: a picture or one of its zones copies itself, and a
// page's background picture can be copied on its own.
#pragma once

class TMyyImage;
class TMyyZona;
class TZEBbox;

// The picture's own form ("Lumo30 picture") and the picture as an image;
// false when the picture object shows no picture.
bool CopyPictureToClipboard(TMyyImage& picture);
// The zone's form ("Lumo30 zone").
bool CopyZoneToClipboard(TMyyZona& zone);

enum class TBackgroundCopy { Copied, NoBackground, NotAPicture };
// The background picture of the page that holds `box`, as a picture of the
// document copies itself.
TBackgroundCopy CopyPageBackground(TZEBbox& box);
