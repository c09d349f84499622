// Print jobs on a printer's device context (from PrintDlgA): the pages drawn
// are recorded and, at EndDoc, made a PDF of real text that goes to the job's
// output file, to the CUPS destination the context prints on (with its copies),
// or, on the "PDF File" printer, into a new "<document> N.pdf" in
// $QV_PRINT_DIR (else ~/PDF), never over an existing file.
#pragma once

#include "qvplatform/types.h"

#define SP_ERROR (-1)
#define SP_APPABORT (-2)
#define SP_USERABORT (-3)
#define SP_OUTOFDISK (-4)

struct DOCINFOA {
  int cbSize;
  LPCSTR lpszDocName;
  LPCSTR lpszOutput;  // a file to write the PDF to; null: the print folder
  LPCSTR lpszDatatype;
  DWORD fwType;
};
typedef DOCINFOA* LPDOCINFOA;

typedef BOOL(CALLBACK* ABORTPROC)(HDC hdc, int iError);

// A job id (> 0), or SP_ERROR when the context is no printer's or already has a job.
QV_API int WINAPI StartDocA(HDC hdc, const DOCINFOA* lpdi);
QV_API int WINAPI StartPage(HDC hdc);
// Ends the page; the abort procedure is asked first: FALSE aborts the job (SP_ERROR).
QV_API int WINAPI EndPage(HDC hdc);
// Writes or submits the document; SP_ERROR when the write fails or the spooler
// can't be reached or refuses the job.
QV_API int WINAPI EndDoc(HDC hdc);
QV_API int WINAPI AbortDoc(HDC hdc);
QV_API int WINAPI SetAbortProc(HDC hdc, ABORTPROC proc);

namespace qvp {
// The file the last EndDoc of this thread wrote (empty when none).
QV_API const char* LastPrintedFile();
}  // namespace qvp
