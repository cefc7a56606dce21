<?xml version="1.0" encoding="UTF-8"?>
<!-- Report types without a stylesheet name of their own (their body stays empty): a page that
     names the report and says that it holds no data, instead of the processor's error. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:import href="html.xsl"/>
</xsl:stylesheet>
