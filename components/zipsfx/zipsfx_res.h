/* Resource and control IDs of the self-extractor (its own module). */
#ifndef VISTREL_ZIPSFX_RES_H
#define VISTREL_ZIPSFX_RES_H

#define IDD_SFX 100
#define IDD_OVERWRITE 101

#define IDC_FOLDER_LABEL 110
#define IDC_FOLDER 111
#define IDC_BROWSE 112
#define IDC_FILES_LABEL 113
#define IDC_FILES 114
#define IDC_OVERWRITE_GROUP 115
#define IDC_ASK 116
#define IDC_ALWAYS 117
#define IDC_NEVER 118
#define IDC_STATUS 119

#define IDC_QUESTION 130
#define IDC_YES_ALL 131
#define IDC_NO_ALL 132

/* Dialog-unit rows that the layout code folds away when a part is not used. */
#define SFX_FILES_TOP 38
#define SFX_FILES_HEIGHT 76
#define SFX_OVERWRITE_TOP 114
#define SFX_OVERWRITE_HEIGHT 56

#endif
