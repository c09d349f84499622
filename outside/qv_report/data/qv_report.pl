# qv_report.pl: the page frame of every report the report engine makes.
# Lines that begin with "#" are comments. $(Token) is a value in a span
# named after its token, $[Token] the bare value, @<tag> a text of the report
# language; the @@...@@ lines mark where the style sheet, the logo, the table
# of contents and the report's objects go.
<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<meta name="generator" content="Quorvane">
<title>@<REPORT_TITLE> $[Var_Alert_Report_Title]</title>
<style>
@@STYLE@@
</style>
</head>
<body>
<header>
@@LOGO@@
<h1>@<REPORT_TITLE> $(Var_Alert_Report_Title)</h1>
<p class="description">@<REPORT_CREATED> $(Var_Alert_Date_And_Time)</p>
</header>
@@CONTENTS@@
<main>
@@BODY@@
</main>
</body>
</html>
