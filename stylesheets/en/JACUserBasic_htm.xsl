<?xml version="1.0" encoding="UTF-8"?>
<!-- Job accounting by user: the devices each user used, with totals. As a web page. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:import href="html.xsl"/>
</xsl:stylesheet>
